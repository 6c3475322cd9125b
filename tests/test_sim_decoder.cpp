// The simulated decoder on the track of the update box and the adapter, driven as the update
// page drives it: through the serial component, line 1 raised, preamble pairs, ID, handshake,
// blocks. (tobrik-cli simulate on its pseudo-terminal is updated whole in test_update_cli.)
#include "SimPortRig.h"

#include "port/SComm.h"
#include "port/SerialError.h"
#include "sim/SimDecoder.h"
#include "sim/SimFaults.h"
#include "sim/SimLineClock.h"
#include "sim/SimUpdateBox.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int SmallBlock = SimDecoderSettings::SmallBlockBytes;
constexpr int LargeBlock = SimDecoderSettings::LargeBlockBytes;
constexpr int OwnId = 23;
constexpr int OtherId = 24;
constexpr int ProgramPreamblePairs = 100;
// Far longer than any reply the simulator holds back; a reply that takes longer is missing.
constexpr int ReplyPatienceMs = 5000;
// Blocks in the run whose fault pattern is compared between seeds.
constexpr int SeededRunBlocks = 40;
// Enough blocks for the numbers to pass 255 twice over.
constexpr int WrappingBlocks = 600;

// An image's lead byte less one, then the two check bytes.
const QByteArray GoodHandshake = QByteArray::fromHex("4155aa");
const QByteArray Acked(1, char(SimDecoder::Ack));
const QByteArray Refused(1, char(SimDecoder::Nack));

QByteArray Preamble(int pairs)
{
    return QByteArray("\xEF\xBF").repeated(pairs);
}

// Payload bytes that differ from block to block.
QByteArray Payload(int block, int size)
{
    QByteArray payload(size, 0);
    for (int i = 0; i < size; ++i)
        payload[i] = char(block * 7 + i * 13);
    return payload;
}

// Block number (low byte), payload and the XOR of both.
QByteArray Frame(int number, const QByteArray &payload)
{
    QByteArray frame(1, char(number));
    frame += payload;
    char checksum = 0;
    for (const char byte : frame)
        checksum ^= byte;
    return frame + checksum;
}

// The update page's end of the link: COM1 is "sim:KIND?keys", opened at the update's settings,
// bytes read back as they wait.
class Link {
public:
    explicit Link(const QString &keys, const QString &kind = "box")
        : ports_("1=sim:" + kind + "?" + keys)
    {
        comm_.setPortnumber(1);
        comm_.setSettings("38400,N,8,2");
        comm_.setInputmode(SComm::comInputModeBinary);
        Open();
    }

    void Open() { comm_.setPortopen(true); }
    void Close() { comm_.setPortopen(false); }
    void Line1(bool raised) { SwitchLine1(comm_, raised); }
    // Writes bytes and returns what has come back by the time the write returns.
    QByteArray Send(const QByteArray &bytes)
    {
        comm_.setIncount(0);
        comm_.output(bytes);
        return Waiting();
    }
    QByteArray Waiting() { return comm_.input().toByteArray(); }
    // Waits for a reply that the decoder holds back.
    QByteArray AwaitReply()
    {
        return QTest::qWaitFor([this] { return comm_.incount() > 0; }, ReplyPatienceMs)
                   ? Waiting()
                   : QByteArray();
    }

    // Line 1 raised, the program's preamble, the decoder's ID: the reply to the ID.
    QByteArray Probe(int id = OwnId)
    {
        Line1(true);
        Send(Preamble(ProgramPreamblePairs));
        return Send(QByteArray(1, char(id)));
    }
    // The three handshake bytes, one write each: the replies, in order.
    QByteArray Handshake(const QByteArray &bytes = GoodHandshake)
    {
        QByteArray replies;
        for (const char byte : bytes)
            replies += Send(QByteArray(1, byte));
        return replies;
    }

    SComm &Comm() { return comm_; }
    SimUpdateBox *Box() const { return ports_.Device<SimUpdateBox>(1); }

private:
    SimPorts ports_;
    SComm comm_;
};

QString FlashKey(const QTemporaryDir &dir)
{
    return "flash=" + dir.filePath("flash.bin");
}

QByteArray FlashFile(const QTemporaryDir &dir)
{
    QFile file(dir.filePath("flash.bin"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

// Whether a reply came later than the line could have carried count bytes.
bool NotEarlierThanBytes(const QElapsedTimer &since, int count)
{
    return since.nsecsElapsed() >= count * SimLineClock::ByteTime.count();
}
} // namespace

class SimDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void probeAfterPreamble_data();
    void probeAfterPreamble();
    void adapterCarriesTheTrackOnlyInUpdateBoxMode();
    void handshake_data();
    void handshake();
    void blocks_data();
    void blocks();
    void blockNumbersPastByteRange();
    void idleGapDropsPartialBlock();
    void lineOffAndCloseResetReceiveButKeepFlash();
    void faultsByPhase_data();
    void faultsByPhase();
    void garbageFailsAcknowledgeTest();
    void slowReplyComesLate();
    void seedRepeatsRun();
    void unplugAtBlock();
    void lineRateHoldsRepliesBack_data();
    void lineRateHoldsRepliesBack();
};

// Bytes sent after line 1 rises and before the own ID.
void SimDecoderTest::probeAfterPreamble_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("reply");

    const int least = SimDecoder::MinPreamblePairs;
    QTest::newRow("own ID") << Preamble(least) << OwnId << Acked;
    QTest::newRow("another ID: silence") << Preamble(least) << OtherId << QByteArray();
    QTest::newRow("own ID after another") << Preamble(least) + char(OtherId) << OwnId << Acked;
    QTest::newRow("preamble too short") << Preamble(least - 1) << OwnId << QByteArray();
    QTest::newRow("run broken by another byte")
        << Preamble(least - 1) + '\x00' + Preamble(least - 1) << OwnId << QByteArray();
    QTest::newRow("run broken by 0xEF twice")
        << Preamble(least - 1) + '\xEF' + Preamble(least - 1) << OwnId << QByteArray();
    QTest::newRow("0xBF alone does not start a pair")
        << QByteArray("\xBF") + Preamble(least) << OwnId << Acked;
}

void SimDecoderTest::probeAfterPreamble()
{
    QFETCH(QByteArray, before);
    QFETCH(int, id);
    QFETCH(QByteArray, reply);
    Link link(QString("decoder=%1").arg(OwnId));
    link.Line1(true);
    QCOMPARE(link.Send(before), QByteArray());
    QCOMPARE(link.Send(QByteArray(1, char(id))), reply);
}

// The adapter passes bytes to the track in its update-box mode and while line 1 is raised.
void SimDecoderTest::adapterCarriesTheTrackOnlyInUpdateBoxMode()
{
    Link link(QString("decoder=%1").arg(OwnId), "adapter");
    QCOMPARE(link.Probe(), QByteArray());
    link.Line1(false);
    // A CR first ends the text the preamble left, as the port page's wake-up does.
    QCOMPARE(link.Send("\rFLINT_EIN\r"), QByteArray("OK\r"));
    QCOMPARE(link.Probe(), Acked);
}

void SimDecoderTest::handshake_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<QByteArray>("ownIdAfter"); // reply to the own ID sent next

    const QByteArray ack(Acked), nack(Refused);
    QTest::newRow("accepted") << GoodHandshake << ack + ack + ack << QByteArray();
    QTest::newRow("any start byte") << QByteArray::fromHex("0055aa") << ack + ack + ack
                                    << QByteArray();
    QTest::newRow("wrong 0x55") << QByteArray::fromHex("4156") << ack + nack << ack;
    QTest::newRow("wrong 0xAA") << QByteArray::fromHex("415555") << ack + ack + nack << ack;
}

void SimDecoderTest::handshake()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, replies);
    QFETCH(QByteArray, ownIdAfter);
    Link link(QString("decoder=%1").arg(OwnId));
    QCOMPARE(link.Probe(), Acked);
    QCOMPARE(link.Handshake(bytes), replies);
    // After a refusal the decoder waits for its ID again; once accepted, the ID is a block byte.
    QCOMPARE(link.Send(QByteArray(1, char(OwnId))), ownIdAfter);
}

void SimDecoderTest::blocks_data()
{
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<QByteArray>("flash");

    const QByteArray ack(Acked), nack(Refused);
    const QByteArray p0 = Payload(0, SmallBlock), p1 = Payload(1, SmallBlock), p2 = Payload(2, SmallBlock);
    QByteArray badChecksum = Frame(0, p0);
    badChecksum.back() = char(badChecksum.back() ^ 1);

    QTest::newRow("repeat of the block just stored")
        << QList{Frame(0, p0), Frame(1, p1), Frame(1, p1), Frame(2, p2)}
        << ack + ack + ack + ack << p0 + p1 + p2;
    QTest::newRow("block 1 before block 0")
        << QList{Frame(1, p1)} << nack << QByteArray();
    QTest::newRow("block ahead refused, then the expected one")
        << QList{Frame(0, p0), Frame(2, p2), Frame(1, p1)} << ack + nack + ack << p0 + p1;
    QTest::newRow("two back refused")
        << QList{Frame(0, p0), Frame(1, p1), Frame(0, p0)} << ack + ack + nack << p0 + p1;
    QTest::newRow("bad checksum") << QList{badChecksum, Frame(0, p0)} << nack + ack << p0;
}

void SimDecoderTest::blocks()
{
    QFETCH(QList<QByteArray>, frames);
    QFETCH(QByteArray, replies);
    QFETCH(QByteArray, flash);
    QTemporaryDir dir;
    Link link(QString("decoder=%1&").arg(OwnId) + FlashKey(dir));
    QCOMPARE(link.Probe(), Acked);
    link.Handshake();
    QByteArray answered;
    for (const QByteArray &frame : frames)
        answered += link.Send(frame);
    QCOMPARE(answered, replies);
    link.Close();
    QCOMPARE(FlashFile(dir), flash);
}

// Block n goes out with n's low byte and lands at n x block size.
void SimDecoderTest::blockNumbersPastByteRange()
{
    QTemporaryDir dir;
    Link link(QString("decoder=%1&").arg(OwnId) + FlashKey(dir));
    link.Probe();
    link.Handshake();
    QByteArray image;
    QByteArray replies;
    for (int block = 0; block < WrappingBlocks; ++block) {
        image += Payload(block, SmallBlock);
        replies += link.Send(Frame(block, Payload(block, SmallBlock)));
    }
    QCOMPARE(replies, Acked.repeated(WrappingBlocks));
    // A block one round of numbers behind carries the expected low byte: it is taken as the next.
    const int oneRoundBehind = WrappingBlocks - 256;
    QCOMPARE(link.Send(Frame(oneRoundBehind, Payload(0, SmallBlock))), Acked);
    link.Close();
    QCOMPARE(FlashFile(dir), image + Payload(0, SmallBlock));
}

void SimDecoderTest::idleGapDropsPartialBlock()
{
    Link link(QString("decoder=%1").arg(OwnId));
    link.Probe();
    link.Handshake();
    const QByteArray frame = Frame(0, Payload(0, SmallBlock));
    QCOMPARE(link.Send(frame.left(10)), QByteArray());
    QTest::qWait(2 * SimDecoder::IdleGapMs);
    QCOMPARE(link.Send(frame), Acked);
    QCOMPARE(link.Box()->Decoder()->Flash(), Payload(0, SmallBlock));
}

void SimDecoderTest::lineOffAndCloseResetReceiveButKeepFlash()
{
    QTemporaryDir dir;
    const QByteArray p0 = Payload(0, SmallBlock);
    Link link(QString("decoder=%1&").arg(OwnId) + FlashKey(dir));
    link.Probe();
    link.Handshake();
    QCOMPARE(link.Send(Frame(0, p0)), Acked);
    link.Line1(false);
    link.Line1(true);
    QCOMPARE(link.Send(Frame(1, Payload(1, SmallBlock))), QByteArray());
    link.Close();
    QCOMPARE(FlashFile(dir), p0);

    link.Open();
    link.Probe();
    link.Handshake();
    QCOMPARE(link.Send(Frame(0, p0)), Acked);
    link.Close();
    link.Open();
    link.Line1(true);
    QCOMPARE(link.Send(Frame(1, Payload(1, SmallBlock))), QByteArray());
    link.Close();
    QCOMPARE(FlashFile(dir), p0);
}

// Each step's replies with one fault certain: the ID, the handshake, block 0.
void SimDecoderTest::faultsByPhase_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("idReply");
    QTest::addColumn<QByteArray>("handshakeReplies");
    QTest::addColumn<QByteArray>("blockReply");
    QTest::addColumn<QByteArray>("flash");

    const QByteArray ack(Acked), p0 = Payload(0, SmallBlock);
    QTest::newRow("none") << "lost-reply=0&bad-block=0" << ack << ack + ack + ack << ack << p0;
    QTest::newRow("lost reply: no byte at all") << "lost-reply=1" << QByteArray() << QByteArray()
                                               << QByteArray() << p0;
    QTest::newRow("bad block") << "bad-block=1" << ack << ack + ack + ack << Refused << QByteArray();
    QTest::newRow("lost block") << "lost-block=1" << ack << ack + ack + ack << QByteArray()
                                << QByteArray();
}

void SimDecoderTest::faultsByPhase()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, idReply);
    QFETCH(QByteArray, handshakeReplies);
    QFETCH(QByteArray, blockReply);
    QFETCH(QByteArray, flash);
    QTemporaryDir dir;
    Link link(QString("decoder=%1&seed=3&%2&").arg(OwnId).arg(fault) + FlashKey(dir));
    QCOMPARE(link.Probe(), idReply);
    QCOMPARE(link.Handshake(), handshakeReplies);
    QCOMPARE(link.Send(Frame(0, Payload(0, SmallBlock))), blockReply);
    link.Close();
    QCOMPARE(FlashFile(dir), flash);
}

void SimDecoderTest::garbageFailsAcknowledgeTest()
{
    Link link(QString("decoder=%1&garbage=1&seed=5").arg(OwnId));
    QByteArray replies = link.Probe();
    QVERIFY(replies.size() >= 1 && replies.size() <= 3);
    replies += link.Handshake();
    for (const char byte : replies)
        QVERIFY2(!SimFaults::PassesAcknowledgeTest(quint8(byte)), QByteArray(1, byte).toHex());
}

void SimDecoderTest::slowReplyComesLate()
{
    Link link(QString("decoder=%1&slow-reply=1").arg(OwnId));
    link.Line1(true);
    link.Send(Preamble(ProgramPreamblePairs));
    QElapsedTimer sent;
    sent.start();
    QCOMPARE(link.Send(QByteArray(1, char(OwnId))), QByteArray());
    QCOMPARE(link.AwaitReply(), Acked);
    QVERIFY(sent.elapsed() >= SimDecoder::SlowReplyDelayMs);
}

// Which of a run of blocks are answered, with half the replies lost.
void SimDecoderTest::seedRepeatsRun()
{
    const auto pattern = [](int seed) {
        Link link(QString("decoder=%1&lost-reply=0.5&seed=%2").arg(OwnId).arg(seed));
        // A lost reply changes nothing in the decoder: it goes on as if heard.
        link.Probe();
        link.Handshake();
        QString answered;
        for (int block = 0; block < SeededRunBlocks; ++block)
            answered += link.Send(Frame(block, Payload(block, SmallBlock))).isEmpty() ? '-' : 'A';
        return answered;
    };
    const QString first = pattern(11);
    QCOMPARE(pattern(11), first);
    QVERIFY(first.contains('-') && first.contains('A'));
    QVERIFY(pattern(12) != first);
}

void SimDecoderTest::unplugAtBlock()
{
    QTemporaryDir dir;
    Link link(QString("decoder=%1&unplug-at=1&").arg(OwnId) + FlashKey(dir));
    link.Probe();
    link.Handshake();
    QCOMPARE(link.Send(Frame(0, Payload(0, SmallBlock))), Acked);
    QVERIFY_THROWS_EXCEPTION(SerialError, link.Send(Frame(1, Payload(1, SmallBlock))));
    QVERIFY_THROWS_EXCEPTION(SerialError, link.Comm().incount());
    // The next port scan finds the port gone.
    PortMap::Instance().Refresh();
    QVERIFY(!PortMap::Instance().Present(1));
    link.Close();
    QCOMPARE(FlashFile(dir), Payload(0, SmallBlock));
}

// Bytes written at once: the reply waits for all of them to cross the line, and its own byte.
void SimDecoderTest::lineRateHoldsRepliesBack_data()
{
    QTest::addColumn<bool>("handshakeFirst");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ID behind the preamble") << false << Preamble(ProgramPreamblePairs) + char(OwnId);
    QTest::newRow("64-byte block") << true << Frame(0, Payload(0, LargeBlock));
}

void SimDecoderTest::lineRateHoldsRepliesBack()
{
    QFETCH(bool, handshakeFirst);
    QFETCH(QByteArray, bytes);
    Link link(QString("decoder=%1&block=%2&line-rate=1").arg(OwnId).arg(LargeBlock));
    if (handshakeFirst) {
        link.Line1(true);
        link.Send(Preamble(ProgramPreamblePairs) + char(OwnId));
        QCOMPARE(link.AwaitReply(), Acked);
        for (const char byte : GoodHandshake) {
            link.Send(QByteArray(1, byte));
            QCOMPARE(link.AwaitReply(), Acked);
        }
    }
    link.Line1(true);
    QElapsedTimer sent;
    sent.start();
    QCOMPARE(link.Send(bytes), QByteArray());
    QCOMPARE(link.AwaitReply(), Acked);
    QVERIFY(NotEarlierThanBytes(sent, int(bytes.size()) + 1));
}

QTEST_MAIN(SimDecoderTest)
#include "test_sim_decoder.moc"

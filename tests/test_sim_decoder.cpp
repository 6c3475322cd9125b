// The simulated decoder on the track of the update box and the adapter, driven as the update
// page drives it: through the serial component, line 1 raised, preamble pairs, ID, handshake,
// blocks. (tobrik-cli simulate on its pseudo-terminal is updated whole in test_update_cli.)
#include "SimPortRig.h"

#include "port/SComm.h"
#include "sim/SimDecoder.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int SmallBlock = 32;
constexpr int OwnId = 23;
constexpr int OtherId = 24;
constexpr int ProgramPreamblePairs = 100;

// An image's lead byte less one, then the two check bytes.
const QByteArray GoodHandshake = QByteArray::fromHex("4155aa");
const QByteArray Acked(1, char(0x1C));
const QByteArray Refused(1, char(0xFC));

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
        comm_.setPortopen(true);
    }

    void Close() { comm_.setPortopen(false); }
    void Line1(bool raised) { SwitchLine1(comm_, raised); }
    // Writes bytes and returns what has come back by the time the write returns.
    QByteArray Send(const QByteArray &bytes)
    {
        comm_.setIncount(0);
        comm_.output(bytes);
        return comm_.input().toByteArray();
    }
    // Line 1 raised, the program's preamble, the decoder's own ID: the reply to the ID.
    QByteArray Probe()
    {
        Line1(true);
        Send(Preamble(ProgramPreamblePairs));
        return Send(QByteArray(1, char(OwnId)));
    }
    // The three handshake bytes, one write each: the replies, in order.
    QByteArray Handshake()
    {
        QByteArray replies;
        for (const char byte : GoodHandshake)
            replies += Send(QByteArray(1, byte));
        return replies;
    }

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

} // namespace

class SimDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void probeAfterPreamble_data();
    void probeAfterPreamble();
    void blocks_data();
    void blocks();
};

// Bytes sent after line 1 rises and before the own ID.
void SimDecoderTest::probeAfterPreamble_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("reply");

    const int least = SimDecoder::MinPreamblePairs;
    QTest::newRow("own ID after another") << Preamble(least) + char(OtherId) << OwnId << Acked;
    QTest::newRow("preamble too short") << Preamble(least - 1) << OwnId << QByteArray();
    QTest::newRow("run broken by another byte")
        << Preamble(least - 1) + '\x00' + Preamble(least - 1) << OwnId << QByteArray();
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

void SimDecoderTest::blocks_data()
{
    QTest::addColumn<QString>("faults"); // keys besides the decoder and its flash
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<QByteArray>("flash");

    const QByteArray ack(Acked), nack(Refused);
    const QByteArray p0 = Payload(0, SmallBlock), p1 = Payload(1, SmallBlock), p2 = Payload(2, SmallBlock);
    QByteArray badChecksum = Frame(0, p0);
    badChecksum.back() = char(badChecksum.back() ^ 1);

    QTest::newRow("repeat of the block just stored")
        << "" << QList{Frame(0, p0), Frame(1, p1), Frame(1, p1), Frame(2, p2)}
        << ack + ack + ack + ack << p0 + p1 + p2;
    QTest::newRow("block ahead refused, then the expected one")
        << "" << QList{Frame(0, p0), Frame(2, p2), Frame(1, p1)} << ack + nack + ack << p0 + p1;
    QTest::newRow("bad checksum") << "" << QList{badChecksum, Frame(0, p0)} << nack + ack << p0;
    QTest::newRow("block refused every time, the one before still acknowledged")
        << "refuse-block=1" << QList{Frame(0, p0), Frame(1, p1), Frame(0, p0), Frame(1, p1)}
        << ack + nack + ack + nack << p0;
}

void SimDecoderTest::blocks()
{
    QFETCH(QString, faults);
    QFETCH(QList<QByteArray>, frames);
    QFETCH(QByteArray, replies);
    QFETCH(QByteArray, flash);
    QTemporaryDir dir;
    Link link(QString("decoder=%1&%2&").arg(OwnId).arg(faults) + FlashKey(dir));
    QCOMPARE(link.Probe(), Acked);
    QCOMPARE(link.Handshake(), Acked.repeated(3));
    QByteArray answered;
    for (const QByteArray &frame : frames)
        answered += link.Send(frame);
    QCOMPARE(answered, replies);
    link.Close();
    QCOMPARE(FlashFile(dir), flash);
}

QTEST_MAIN(SimDecoderTest)
#include "test_sim_decoder.moc"

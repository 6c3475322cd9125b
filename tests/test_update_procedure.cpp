// The update procedure and its block transfer against a scripted decoder, with the page kept
// in memory: every way a run can end before the transfer, the transfer's retry pattern and
// its end, blind programming, the timing calibration, the preamble and the numbers' ranges.
#include "support/UpdateRig.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "support/DswBuilder.h"
#include "update/MemoryUpdateView.h"
#include "update/UpdateProcedure.h"

#include <QtTest>

Q_DECLARE_METATYPE(UpdateOutcome)

namespace {
using Replies = QList<QByteArray>;
const QByteArray &Ack = ScriptedDecoder::Ack;
const QByteArray &Nack = ScriptedDecoder::Nack;
const QByteArray &Silence = ScriptedDecoder::Silence;
// Milliseconds for 20 burst pairs: the design target, so the calibration ends at once.
constexpr int64_t OnTarget = 40;
// Stands for the failure line in a table, whose position depends on the file.
const QString FailedLine = QStringLiteral("<failed>");

// The text the procedures show for id: the rig runs them with the built-in English texts.
QString T(TextId id)
{
    return LanguageTexts::BuiltInText(static_cast<int>(id));
}

Replies Times(const QByteArray &reply, int count)
{
    return Replies(count, reply);
}

// The ID acknowledged and the three handshake bytes answered, then replies.
Replies AfterHandshake(const Replies &replies)
{
    return Times(Ack, 4) + replies;
}

QList<int> Range(int first, int last)
{
    QList<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers.append(n);
    return numbers;
}

// The first of expected that lines does not hold in this order; empty when all are there.
QString MissingInOrder(const QStringList &lines, const QStringList &expected)
{
    qsizetype from = 0;
    for (const QString &line : expected) {
        from = lines.indexOf(line, from);
        if (from < 0)
            return line;
        ++from;
    }
    return QString();
}

// One update of decoder 12 whose calibration takes the target time at once.
struct UpdateRun {
    UpdateRun()
    {
        Module_DU::State().ChosenDecoders = QStringList{"12"};
        view.timing = QStringLiteral("1000");
        procedure.SetBurstTimer([](int32_t) { return OnTarget; });
    }
    QByteArray Software(int type, int payload)
    {
        return rig.WriteSoftware({QStringLiteral("12:TB12:1.00:%1:%2").arg(type).arg(payload)});
    }
    // The port was opened, and is closed again, line 1 lowered first, with the buttons enabled.
    bool Closed() const
    {
        return rig.decoder->Connections() == 1 && !rig.decoder->Connected()
               && !rig.decoder->Line1RaisedAtClose()
               && view.buttonStates == QList<bool>{false, true};
    }

    UpdateRig rig;
    MemoryUpdateView view;
    UpdateProcedure procedure{view};
};
} // namespace

class TestUpdateProcedure : public QObject {
    Q_OBJECT

private slots:
    void endsBeforeTransfer_data();
    void endsBeforeTransfer();
    void transfer_data();
    void transfer();
    void lateReplies_data();
    void lateReplies();
    void blockFrames();
    void options_data();
    void options();
    void calibration_data();
    void calibration();
    void numbers_data();
    void numbers();
};

void TestUpdateProcedure::endsBeforeTransfer_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<QByteArray>("software"); // null: no file there
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("infoLines");
    QTest::addColumn<QStringList>("logged"); // in this order, among others
    QTest::addColumn<QList<int>>("idsSent");

    const QByteArray both = DswBuilder::Build({"12:TB12:1.00:1:64", "34:TB34:2.00:2:128"});
    const QString opened = T(TextId::PortOpened);
    const QString connecting = T(TextId::ConnectingToDecoder);
    const QString closed = T(TextId::PortClosed);
    QTest::newRow("port cannot be opened")
        << "9" << QStringList{"12"} << Replies{} << both << true
        << QStringList{T(TextId::ErrorOpeningPort),
                       T(TextId::PortNotOpened) + " COM9 does not exist",
                       T(TextId::ReplugProgrammer)}
        << QStringList{"Öffne Port 9", "Error open Port"} << QList<int>{};
    QTest::newRow("12 silent, 34 acknowledges, the user says No")
        << "3" << QStringList{"12", "34"} << Replies{Silence, Ack} << both << false
        << QStringList{opened, connecting, "TB34 found", closed}
        << QStringList{"Suche Decoder ID: 12", "Keine Antwort von ID:12",
                       "Suche Decoder ID: 34", "COM-Int Data Receive: Ack",
                       "Antwort von ID 34",    "TB34 gefunden"}
        << QList<int>{12, 34};
    QTest::newRow("0xFC to every ID")
        << "3" << QStringList{"12", "34"} << Replies{Nack, Nack} << both << true
        << QStringList{opened,
                       connecting,
                       T(TextId::CorruptAck),
                       T(TextId::CorruptAck),
                       T(TextId::ConnectionFailed),
                       closed}
        << QStringList{"Antwort von ID 12", "Antwort von ID 34"} << QList<int>{12, 34};
    QTest::newRow("no decoder chosen")
        << "3" << QStringList{} << Replies{} << both << true
        << QStringList{opened, connecting, T(TextId::ConnectionFailed), closed}
        << QStringList(4, "Subscript out of range") << QList<int>{};
    QTest::newRow("software file missing")
        << "3" << QStringList{"12"} << Replies{Ack} << QByteArray() << true
        << QStringList{opened, connecting, T(TextId::FileCannotBeOpened), closed}
        << QStringList{"File open error"} << QList<int>{12};
    QTest::newRow("no decoder software file")
        << "3" << QStringList{"12"} << Replies{Ack} << QByteArray("not an index") << true
        << QStringList{opened, connecting, T(TextId::SoftwareFileCorrupt), closed} << QStringList{}
        << QList<int>{12};
    QTest::newRow("KT image refused before the handshake")
        << "3" << QStringList{"12"} << Replies{Ack} << DswBuilder::Build({"12:KT12:1.00:3:64"})
        << true
        << QStringList{opened, connecting, "KT12 found", "Bildtyp 3 wird nicht unterstützt", closed}
        << QStringList{} << QList<int>{12};
    const QByteArray good = DswBuilder::Build({"12:TB12:1.00:1:64"});
    const int start = UpdateRig::EntryOf(good, 12).Start;
    const QStringList corrupt{opened, connecting, "TB12 found", T(TextId::SoftwareFileCorrupt),
                              closed};
    QTest::newRow("file ends inside the image")
        << "3" << QStringList{"12"} << Replies{Ack} << good.left(start + 10) << true << corrupt
        << QStringList{"Software file ends inside the image of TB12"} << QList<int>{12};
    // The index moves the image 8 bytes on, to position 35, and gives it 2^32 bytes.
    QTest::newRow("image length beyond 32 bits")
        << "3" << QStringList{"12"} << Replies{Ack}
        << QByteArrayLiteral("DF;1;12;35;4294967296;TB12;1.00;1.") + good.mid(start - 1) << true
        << corrupt << QStringList{} << QList<int>{12};
    // One too short for its own ID byte is refused for what it lacks, not as another's.
    QTest::newRow("image of one byte")
        << "3" << QStringList{"12"} << Replies{Ack}
        << QByteArrayLiteral("DF;1;12;26;1;TB12;1.00;1.") + good.mid(start - 1) << true
        << QStringList{opened, connecting, "TB12 found",
                       "The image holds no whole block; nothing was sent", closed}
        << QStringList{"The image of TB12 is 1 bytes long"} << QList<int>{12};
    QByteArray otherIdByte = good;
    otherIdByte[start] = char(34); // position START + 1
    QTest::newRow("image made for another decoder")
        << "3" << QStringList{"12"} << Replies{Ack} << otherIdByte << true
        << QStringList{opened, connecting, "TB12 found",
                       "Geladene Software ist nicht für dieses Produkt",
                       "Update wird nicht durchgeführt", closed}
        << QStringList{} << QList<int>{12};
    QTest::newRow("decoder missing from the file")
        << "3" << QStringList{"12"} << Replies{Ack} << DswBuilder::Build({"34:TB34:1.00:1:64"})
        << true
        << QStringList{opened, connecting, "Verbindungsaufbau erfolgreich",
                       "Unbekannter Dekoder gefunden", "Softwarefile enthält keine Software",
                       "für dieses Produkt", closed}
        << QStringList{} << QList<int>{12};
}

void TestUpdateProcedure::endsBeforeTransfer()
{
    QFETCH(QString, port);
    QFETCH(QStringList, chosen);
    QFETCH(Replies, replies);
    QFETCH(QByteArray, software);
    QFETCH(bool, answer);
    QFETCH(QStringList, infoLines);
    QFETCH(QStringList, logged);
    QFETCH(QList<int>, idsSent);
    UpdateRun run;
    auto &state = Module_DU::State();
    state.SelectedPort = port;
    state.ChosenDecoders = chosen;
    run.rig.WriteSoftware(software);
    for (const QByteArray &reply : replies)
        run.rig.decoder->Then(reply);
    run.view.answer = answer;

    QCOMPARE(run.procedure.Run(), UpdateOutcome::EndedBeforeTransfer);
    QCOMPARE(run.view.infoLines, infoLines);
    QCOMPARE(MissingInOrder(run.rig.log, logged), QString());
    QList<int> sent;
    for (const QByteArray &write : run.rig.decoder->Writes())
        sent.append(static_cast<uint8_t>(write.at(0)));
    QCOMPARE(sent, idsSent); // nothing beyond the IDs: no handshake
    QVERIFY(!run.rig.decoder->Connected());
    QCOMPARE(run.view.buttonStates, (QList<bool>{false, true}));
    QVERIFY(run.view.colours.isEmpty());
    QCOMPARE(run.view.questions.size(), answer ? 0 : 1);
    const std::vector<UpdateRecord> history = run.rig.History();
    QCOMPARE(history.size(), size_t{1});
    QCOMPARE(ResultName(history[0].result), answer ? "failed" : "declined");
    QCOMPARE(history[0].blocksAcknowledged, std::nullopt);
}

void TestUpdateProcedure::transfer_data()
{
    QTest::addColumn<int>("payload");
    QTest::addColumn<Replies>("replies");       // to the ID, the handshake bytes and the blocks
    QTest::addColumn<QList<int>>("blocksSent"); // their first bytes
    QTest::addColumn<QStringList>("added");     // every line added after "Update in progress"
    QTest::addColumn<QStringList>("shown");     // what stays of them
    QTest::addColumn<int>("failedAfterStart");  // position of the failure line, from START
    QTest::addColumn<QStringList>("logged");
    QTest::addColumn<UpdateOutcome>("outcome");

    const QString finished = T(TextId::UpdateFinished);
    const QStringList tailUnsent{finished, "Bytes at the end not sent (less than one block): 16"};
    QTest::newRow("a part block is never sent, and said so")
        << 48 << Replies{} << QList<int>{0} << tailUnsent << tailUnsent << 0
        << QStringList{"Block=0", "Block=1"} << UpdateOutcome::FinishedUnconfirmed;
    const QStringList timeouts787{"Timeout Block 7 Retry 1", "Timeout Block 8 Retry 2",
                                  "Timeout Block 7 Retry 3"};
    QTest::newRow("block 7, probes 8 and 7 time out, probe 8 accepted")
        << 320 << AfterHandshake(Times(Ack, 7) + Times(Silence, 3))
        << Range(0, 7) + QList<int>{8, 7, 8, 9} << timeouts787 + QStringList{finished}
        << QStringList{finished} << 0 << QStringList{"Ack Timeout Block 7 Retry 1"}
        << UpdateOutcome::Finished;
    const QStringList lastUnanswered{"Timeout Block 1 Retry 1", finished,
                                     "Not confirmed by the decoder: block 1"};
    QTest::newRow("last block unanswered, its probe lies beyond")
        << 64 << AfterHandshake({Ack, Silence}) << QList<int>{0, 1} << lastUnanswered
        << lastUnanswered << 0 << QStringList{"Ack Timeout Block 1 Retry 1"}
        << UpdateOutcome::FinishedUnconfirmed;
    // The programmer pulled after block 0: the probes run past the end of a four-block image.
    const QStringList pulled{"Timeout Block 1 Retry 1", "Timeout Block 2 Retry 2",
                             "Timeout Block 1 Retry 3", "Timeout Block 2 Retry 4",
                             "Timeout Block 1 Retry 5", "Timeout Block 0 Retry 6",
                             "Timeout Block 3 Retry 7", "Timeout Block 0 Retry 8", FailedLine,
                             "Blocks never acknowledged: 1-3"};
    QTest::newRow("probes past the end after block 0 are no success")
        << 128 << AfterHandshake(QList{Ack} + Times(Silence, 8))
        << QList<int>{0, 1, 2, 1, 2, 1, 0, 3, 0} << pulled << pulled << 130
        << QStringList{"Ack Timeout Block 0 Retry 8"} << UpdateOutcome::Failed;
    // Blocks 1 and 2 of three never answered: more than the last block is unconfirmed.
    const QStringList lastTwo{"Timeout Block 1 Retry 1", "Timeout Block 2 Retry 2",
                              "Timeout Block 1 Retry 3", "Timeout Block 2 Retry 4",
                              "Timeout Block 1 Retry 5", "Timeout Block 0 Retry 6", FailedLine,
                              "Blocks never acknowledged: 1-2"};
    QTest::newRow("the last two blocks unanswered")
        << 96 << AfterHandshake(QList{Ack} + Times(Silence, 6)) << QList<int>{0, 1, 2, 1, 2, 1, 0}
        << lastTwo << lastTwo << 98 << QStringList{"Ack Timeout Block 0 Retry 6"}
        << UpdateOutcome::Failed;
    // Block 2 acknowledged, later block 1 (a probe): the decoder's last word counts, so block 2
    // is no longer taken as confirmed when the transfer then fails.
    const QStringList refusedOnTheWay{"CRC-Fehler Block 1 Retry 1", "CRC-Fehler Block 3 Retry 1",
                                      "CRC-Fehler Block 4 Retry 2", "CRC-Fehler Block 3 Retry 3",
                                      "CRC-Fehler Block 4 Retry 4", "CRC-Fehler Block 3 Retry 5",
                                      "CRC-Fehler Block 2 Retry 6", "CRC-Fehler Block 5 Retry 7"};
    const QStringList thenSilence{"Timeout Block 2 Retry 1", "Timeout Block 3 Retry 2",
                                  "Timeout Block 2 Retry 3", "Timeout Block 3 Retry 4",
                                  "Timeout Block 2 Retry 5", "Timeout Block 1 Retry 6",
                                  "Timeout Block 4 Retry 7", "Timeout Block 0 Retry 8",
                                  "Timeout Block 5 Retry 9", "Timeout Block 0",
                                  FailedLine, "Blocks never acknowledged: 2-5"};
    QTest::newRow("a lower block acknowledged after a higher one")
        << 192
        << AfterHandshake(Replies{Ack, Nack, Ack} + Times(Nack, 7) + Replies{Ack}
                          + Times(Silence, 10))
        << QList<int>{0, 1, 2, 3, 4, 3, 4, 3, 2, 5, 1, 2, 3, 2, 3, 2, 1, 4, 0, 5, 0}
        << refusedOnTheWay + thenSilence << thenSilence << 33 << QStringList{"Block=5"}
        << UpdateOutcome::Failed;
    const QStringList twelveRefusals{"CRC-Fehler Block 1 Retry 1",  "CRC-Fehler Block 2 Retry 2",
                                     "CRC-Fehler Block 1 Retry 3",  "CRC-Fehler Block 2 Retry 4",
                                     "CRC-Fehler Block 1 Retry 5",  "CRC-Fehler Block 0 Retry 6",
                                     "CRC-Fehler Block 3 Retry 7",  "CRC-Fehler Block 0 Retry 8",
                                     "CRC-Fehler Block 4 Retry 9",  "CRC-Fehler Block 0 Retry 10",
                                     "CRC-Fehler Block 2 Retry 11", "CRC-Fehler Block 1 Retry 12"};
    QTest::newRow("block 1 refused twelve times, then its probe accepted")
        << 192 << AfterHandshake(QList{Ack} + Times(Nack, 12))
        << QList<int>{0, 1, 2, 1, 2, 1, 0, 3, 0, 4, 0, 2, 1, 2, 3, 4, 5}
        << twelveRefusals + QStringList{finished} << QStringList{finished} << 0
        << QStringList{"Nack Block 1 Retry 12"} << UpdateOutcome::Finished;
    const QStringList lastRefused{"CRC-Fehler Block 1 Retry 1", FailedLine,
                                  "Blocks never acknowledged: 1"};
    QTest::newRow("last block refused, its probe lies beyond")
        << 64 << AfterHandshake({Ack, Nack}) << QList<int>{0, 1} << lastRefused << lastRefused
        << 66 << QStringList{"Nack Block 1 Retry 1"} << UpdateOutcome::Failed;
    // The attempts' blocks after the first refusal of block 1, by the probing pattern.
    const QList<int> probed{2, 1, 2, 1, 0, 3, 0, 4, 0, 2, 1, 2, 1, 0, 3, 0,
                            4, 0, 2, 1, 2, 1, 0, 3, 0, 4, 0, 2, 1, 2, 1};
    QStringList refusedTooOften{"CRC-Fehler Block 1 Retry 1"};
    for (qsizetype retry = 1; retry < probed.size(); ++retry)
        refusedTooOften.append(
            QStringLiteral("CRC-Fehler Block %1 Retry %2").arg(probed.at(retry - 1)).arg(retry + 1));
    refusedTooOften += QStringList{"CRC-Fehler Block 1", FailedLine, "Blocks never acknowledged: 1-5"};
    QTest::newRow("32 refusals in a row fail")
        << 192 << AfterHandshake(QList{Ack} + Times(Nack, 32)) << QList<int>{0, 1} + probed
        << refusedTooOften << refusedTooOften << 65 << QStringList{"Nack Block 1"}
        << UpdateOutcome::Failed;
    QTest::newRow("handshake unanswered")
        << 64 << Replies{Ack, Silence} << QList<int>{} << QStringList{FailedLine, "Blocks never acknowledged: 0-1"}
        << QStringList{FailedLine, "Blocks never acknowledged: 0-1"} << -1 << QStringList{} << UpdateOutcome::Failed;
    QTest::newRow("block numbers beyond 255")
        << 302 * 32 << Replies{} << Range(0, 255) + Range(0, 45) << QStringList{finished}
        << QStringList{finished} << 0 << QStringList{"Block=255", "Block=256", "Block=300"}
        << UpdateOutcome::Finished;
}

void TestUpdateProcedure::transfer()
{
    QFETCH(int, payload);
    QFETCH(Replies, replies);
    QFETCH(QList<int>, blocksSent);
    QFETCH(QStringList, added);
    QFETCH(QStringList, shown);
    QFETCH(int, failedAfterStart);
    QFETCH(QStringList, logged);
    QFETCH(UpdateOutcome, outcome);
    UpdateRun run;
    const QByteArray software = run.Software(1, payload);
    const IndexEntry entry = UpdateRig::EntryOf(software, 12);
    for (const QByteArray &reply : replies)
        run.rig.decoder->Then(reply);
    // Position 0 stands for a failure before any byte was read on the page.
    const int failedAt = failedAfterStart < 0 ? 0 : entry.Start + failedAfterStart;
    const QString failedLine = T(TextId::UpdateFailedOnPosition) + " " + QString::number(failedAt);
    for (QStringList *lines : {&added, &shown})
        lines->replaceInStrings(FailedLine, failedLine);

    QCOMPARE(run.procedure.Run(), outcome);
    const QStringList head{T(TextId::PortOpened), T(TextId::ConnectingToDecoder),
                           "TB12 " + T(TextId::Found), T(TextId::UpdateInProgress)};
    QCOMPARE(run.view.infoLines, head + shown + QStringList{T(TextId::PortClosed)});
    QCOMPARE(run.view.everyInfoLine, head + added + QStringList{T(TextId::PortClosed)});
    QCOMPARE(run.rig.decoder->BlocksSent(), blocksSent);
    QCOMPARE(MissingInOrder(run.rig.log, logged), QString());
    const QMap<UpdateOutcome, QColor> ends{{UpdateOutcome::Finished, QColor(0, 220, 0)},
                                           {UpdateOutcome::FinishedUnconfirmed, QColor(255, 210, 0)},
                                           {UpdateOutcome::Failed, QColor(255, 0, 0)}};
    const QColor end = ends.value(outcome);
    QCOMPARE(run.view.colours, (QList<QColor>{QColor(255, 150, 0), end}));
    QCOMPARE(run.view.questions,
             QStringList{"Decoder found|TB12 found, would you like to update?"});
    QVERIFY(run.Closed());
    const std::vector<UpdateRecord> history = run.rig.History();
    QCOMPARE(history.size(), size_t{1});
    const UpdateRecord &record = history[0];
    const QMap<UpdateOutcome, QString> results{{UpdateOutcome::Finished, "finished"},
                                               {UpdateOutcome::FinishedUnconfirmed, "unconfirmed"},
                                               {UpdateOutcome::Failed, "failed"}};
    QCOMPARE(ResultName(record.result), results.value(outcome));
    QCOMPARE(record.blocks, payload / 32);
    const int64_t acknowledged = record.blocksAcknowledged.value_or(-1);
    if (outcome == UpdateOutcome::Finished)
        QCOMPARE(acknowledged, *record.blocks);
    else if (outcome == UpdateOutcome::FinishedUnconfirmed)
        QVERIFY(acknowledged >= *record.blocks - 1);
    else
        QVERIFY(acknowledged >= 0 && acknowledged < *record.blocks);
    QCOMPARE(record.decoderId, 12);
    QCOMPARE(record.decoder + " " + record.version, "TB12 1.00");
    QCOMPARE(record.file, run.rig.softwarePath);
    QCOMPARE(record.fileSha256, QCryptographicHash::hash(software, QCryptographicHash::Sha256).toHex());
    QCOMPARE(record.port, 3);
    QCOMPARE(record.method, "main");

    // The handshake (lead byte 0x5A - 1, 0x55, 0xAA) as far as it went. The blocks' contents
    // are checked by blockFrames here and by the simulated decoder's flash end to end.
    const QList<QByteArray> &writes = run.rig.decoder->Writes();
    const QList<QByteArray> handshake{"\x59", "\x55", "\xAA"};
    QCOMPARE(writes.mid(1, 3), handshake.mid(0, writes.size() - 1));
}

// A reply that comes after its wait answers nothing: it is never taken for the answer to the
// next ID or block, and one that comes after the last block takes back that block's
// confirmation.
void TestUpdateProcedure::lateReplies_data()
{
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<int>("lateMs");       // how late the late replies come
    QTest::addColumn<Replies>("onTime");   // replies first, each on time
    QTest::addColumn<int>("lateReplies");  // then these acknowledgements, each late
    QTest::addColumn<int>("strayAfter");   // an acknowledgement after the reply to this write
    QTest::addColumn<int>("strayMs");      // this late
    QTest::addColumn<QStringList>("shown"); // the list's last lines before "Comm port closed"
    QTest::addColumn<UpdateOutcome>("outcome");

    // The search waits 25 ms for an answer, then as long again for a late one.
    QTest::newRow("the ID's answer after its wait picks no other ID")
        << QStringList{"12", "34"} << 40 << Replies{} << 1 << -1 << 0 << QStringList{}
        << UpdateOutcome::EndedBeforeTransfer;
    // A block waits 50 ms, then as long again: every reply comes inside the second wait.
    QTest::newRow("every block answered after its wait")
        << QStringList{"12"} << 80 << Times(Ack, 4) << 10 << -1 << 0
        << QStringList{"Timeout Block 0", FailedLine,
                       "Blocks never acknowledged: 0-3"}
        << UpdateOutcome::Failed;
    QTest::newRow("a stray byte after the ID's answer answers no handshake byte")
        << QStringList{"12"} << 0 << Replies{Ack, Silence} + Times(Ack, 6) << 0 << 0 << 20
        << QStringList{T(TextId::UpdateFailedOnPosition) + " 0", "Blocks never acknowledged: 0-3"}
        << UpdateOutcome::Failed;
    QTest::newRow("a reply after the last block")
        << QStringList{"12"} << 0 << Times(Ack, 8) << 0 << 7 << 100
        << QStringList{T(TextId::UpdateFinished), "Not confirmed by the decoder: block 3"}
        << UpdateOutcome::FinishedUnconfirmed;
}

void TestUpdateProcedure::lateReplies()
{
    QFETCH(QStringList, chosen);
    QFETCH(int, lateMs);
    QFETCH(Replies, onTime);
    QFETCH(int, lateReplies);
    QFETCH(int, strayAfter);
    QFETCH(int, strayMs);
    QFETCH(QStringList, shown);
    QFETCH(UpdateOutcome, outcome);
    UpdateRun run;
    run.view.noQuery = true;
    Module_DU::State().ChosenDecoders = chosen;
    const QByteArray software = run.Software(1, 128);
    for (qsizetype write = 0; write < onTime.size(); ++write) {
        run.rig.decoder->Then(onTime.at(write));
        if (write == strayAfter)
            run.rig.decoder->AndLater(Ack, strayMs);
    }
    run.rig.decoder->Then(Ack, lateReplies, lateMs);
    run.rig.decoder->SetDefaultReply(Silence);
    const QString failedLine = T(TextId::UpdateFailedOnPosition) + " "
                               + QString::number(UpdateRig::EntryOf(software, 12).Start + 33);
    shown.replaceInStrings(FailedLine, failedLine);

    QCOMPARE(run.procedure.Run(), outcome);
    const QStringList head{T(TextId::PortOpened), T(TextId::ConnectingToDecoder)};
    const QStringList found = outcome == UpdateOutcome::EndedBeforeTransfer
                                  ? QStringList{T(TextId::ConnectionFailed)}
                                  : QStringList{"TB12 " + T(TextId::Found)};
    const QStringList &lines = run.view.infoLines;
    QCOMPARE(lines.mid(0, 3), head + found);
    QCOMPARE(lines.mid(lines.size() - shown.size() - 1), shown + QStringList{T(TextId::PortClosed)});
}

// Each block goes as its number, its payload and their XOR, read from the image's third byte on;
// the payloads are chosen so that XOR and sum differ.
void TestUpdateProcedure::blockFrames()
{
    UpdateRun run;
    run.view.noQuery = true;
    const QByteArray software = run.Software(1, 64);
    QByteArray payload(64, '\0');
    payload[0] = '\x03';
    payload[31] = '\x05';
    payload[32] = '\x81';
    payload[63] = '\x81';
    run.rig.WriteSoftware(UpdateRig::WithPayload(software, 12, payload));
    QCOMPARE(run.procedure.Run(), UpdateOutcome::Finished);
    const int start = UpdateRig::EntryOf(software, 12).Start;
    QCOMPARE(
        MissingInOrder(run.rig.log, {"Block=0", QStringLiteral("Filepos = %1").arg(start + 1),
                                     "Block=1", QStringLiteral("Filepos = %1").arg(start + 33)}),
        QString());
    const QList<QByteArray> blocks = run.rig.decoder->Writes().mid(4);
    QCOMPARE(blocks.size(), 2);
    QCOMPARE(blocks.at(0), '\x00' + payload.left(32) + '\x06');
    QCOMPARE(blocks.at(1), '\x01' + payload.mid(32) + '\x01');
    // The last byte read is the image's last: 65 of its 66 bytes after the lead byte.
    QCOMPARE(run.view.progress, 65 * 100.0f / 66);
    QVERIFY(run.view.questions.isEmpty());
}

// Blind, nothing is awaited: not the decoder's answer to its ID, nor any acknowledgement, and
// the preamble is fixed. "No query" alone only leaves out the question.
void TestUpdateProcedure::options_data()
{
    QTest::addColumn<bool>("blind");
    QTest::addColumn<UpdateOutcome>("outcome");
    QTest::addColumn<int>("preamblePairs");
    QTest::addColumn<QStringList>("infoLines");
    QTest::newRow("blind") << true << UpdateOutcome::Finished << 100
                           << QStringList{T(TextId::PortOpened),
                                          "TB12 " + T(TextId::ProgrammedWithoutAck),
                                          T(TextId::UpdateFinished), T(TextId::PortClosed)};
    QTest::newRow("no query, not blind")
        << false << UpdateOutcome::EndedBeforeTransfer << 7
        << QStringList{T(TextId::PortOpened), T(TextId::ConnectingToDecoder),
                       T(TextId::ConnectionFailed), T(TextId::PortClosed)};
}

void TestUpdateProcedure::options()
{
    QFETCH(bool, blind);
    QFETCH(UpdateOutcome, outcome);
    QFETCH(int, preamblePairs);
    QFETCH(QStringList, infoLines);
    UpdateRun run;
    run.Software(1, 64);
    run.rig.decoder->SetDefaultReply(Silence);
    run.view.blind = blind;
    run.view.noQuery = !blind;
    run.view.preamble = QStringLiteral("7");

    QCOMPARE(run.procedure.Run(), outcome);
    QCOMPARE(run.view.infoLines, infoLines);
    QCOMPARE(run.rig.decoder->PreamblePairs(), preamblePairs);
    QVERIFY(run.view.questions.isEmpty());
    QCOMPARE(run.rig.decoder->BlocksSent(), (blind ? QList<int>{0, 1} : QList<int>{}));
    QCOMPARE(run.rig.log.filter("Antwort von ID").size(), blind ? 0 : 1);
    QVERIFY(run.Closed());
    // Blind, nothing is confirmed, and the preamble box is not read.
    const UpdateRecord record = run.rig.History().at(0);
    QCOMPARE(record.blind, blind);
    QCOMPARE(record.blocksAcknowledged, blind ? std::optional<int64_t>(0) : std::nullopt);
    QCOMPARE(record.preamble, blind ? std::nullopt : std::optional<int32_t>(7));
}

void TestUpdateProcedure::calibration_data()
{
    QTest::addColumn<QString>("timing");
    QTest::addColumn<QList<qint64>>("measured");
    QTest::addColumn<QStringList>("tries");
    QTest::addColumn<QString>("timingOk");
    QTest::addColumn<QString>("timingAfter");

    QTest::newRow("10 ms against 40")
        << "5000" << QList<qint64>{10, 45}
        << QStringList{"Try=0 : Counter=5000 : Zeit=10", "Try=1 : Counter=10000 : Zeit=45"}
        << "True"
        << "10000";
    QStringList never;
    for (int i = 0; i <= 20; ++i)
        never << QStringLiteral("Try=%1 : Counter=1000 : Zeit=70").arg(i);
    QTest::newRow("never inside: 21 measurements, the last count used")
        << "1000" << QList<qint64>(22, 70) << never << "False"
        << "1000";
    QTest::newRow("loop count 0 counts as 1")
        << "0" << QList<qint64>{45} << QStringList{"Try=0 : Counter=1 : Zeit=45"} << "True"
        << "0";
}

void TestUpdateProcedure::calibration()
{
    QFETCH(QString, timing);
    QFETCH(QList<qint64>, measured);
    QFETCH(QStringList, tries);
    QFETCH(QString, timingOk);
    QFETCH(QString, timingAfter);
    UpdateRun run;
    run.rig.decoder->SetDefaultReply(Silence);
    run.view.timing = timing;
    QList<int32_t> counts;
    run.procedure.SetBurstTimer([&](int32_t loopCount) {
        counts.append(loopCount);
        return measured.takeFirst();
    });

    run.procedure.Run();
    QCOMPARE(run.rig.log.filter(QRegularExpression("^Try=")), tries);
    const QString lastCount = tries.last().section(QLatin1Char('='), 2, 2).section(' ', 0, 0);
    QCOMPARE(MissingInOrder(run.rig.log, QStringList{"Timing messen. Soll=40"} + tries
                                             + QStringList{"Timing ok = " + timingOk,
                                                           "Timing    = " + lastCount}),
             QString());
    QCOMPARE(counts.size(), tries.size());
    QCOMPARE(run.view.timing, timingAfter);
}

void TestUpdateProcedure::numbers_data()
{
    QTest::addColumn<QString>("preamble");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("blind");
    QTest::addColumn<QStringList>("refusals"); // none: the run goes on
    QTest::addColumn<int>("pairs");            // of the preamble sent

    const QString pairsRange = T(TextId::PreambleOutOfRange) + " 4-10000";
    const QString targetRange = T(TextId::TimingOutOfRange) + " 0-1000";
    QTest::newRow("fewest pairs: 3.5 rounded to even, a bare e")
        << "3.5e" << "40" << false << QStringList{} << 4;
    QTest::newRow("one pair too few") << "3" << "40" << false << QStringList{pairsRange} << 0;
    QTest::newRow("most pairs") << "10000" << "40" << false << QStringList{} << 10000;
    QTest::newRow("beyond 32 bits") << "99999999999" << "40" << false << QStringList{pairsRange}
                                    << 0;
    QTest::newRow("negative target") << "100" << "-1" << false << QStringList{targetRange} << 0;
    QTest::newRow("both far out")
        << "1e7" << "100000" << false << QStringList{pairsRange, targetRange} << 0;
    QTest::newRow("blind: the box is not read") << "" << "40" << true << QStringList{} << 100;
}

// Numbers that would keep the window from its events for long are refused before the port is
// opened; the buttons are enabled again.
void TestUpdateProcedure::numbers()
{
    QFETCH(QString, preamble);
    QFETCH(QString, target);
    QFETCH(bool, blind);
    QFETCH(QStringList, refusals);
    QFETCH(int, pairs);
    UpdateRun run;
    run.rig.decoder->SetDefaultReply(Silence);
    run.view.preamble = preamble;
    run.view.timingTarget = target;
    run.view.blind = blind;
    run.procedure.SetBurstTimer([onTarget = target.toLongLong()](int32_t) { return onTarget; });

    run.procedure.Run();
    QCOMPARE(run.rig.decoder->PreamblePairs(), pairs);
    QCOMPARE(run.view.buttonStates, (QList<bool>{false, true}));
    if (!refusals.isEmpty()) {
        QCOMPARE(run.view.infoLines, refusals);
        QCOMPARE(run.rig.decoder->Connections(), 0);
        return;
    }
    // The time of the preamble, as for 20 pairs.
    const QStringList lines = run.rig.log.filter(
        QRegularExpression(QStringLiteral("^Preamble gesendet. Anz.=%1 Zeit=.*ms$").arg(pairs)));
    QCOMPARE(lines.size(), 1);
    QVERIFY(run.rig.log.indexOf(lines.first()) < run.rig.log.indexOf("Suche Decoder ID: 12"));
}

QTEST_MAIN(TestUpdateProcedure)
#include "test_update_procedure.moc"

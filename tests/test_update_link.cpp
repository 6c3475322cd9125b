// The update link's primitives against a scripted decoder, and the small pure functions of the
// update: the reading of the page's number boxes and the acknowledgement test.
#include "support/UpdateRig.h"

#include "app/Module_DU.h"
#include "port/SComm.h"
#include "update/MemoryUpdateView.h"
#include "update/TextNumber.h"
#include "update/UpdateError.h"
#include "update/UpdateLink.h"

#include <QTimer>
#include <QtTest>

namespace {
// A tick far longer than any of the program's: a wait that ended on it would not have taken
// the reply that was already there.
constexpr int NeverTickMs = 10000;

// The link with its port open to the scripted decoder, as the update procedure leaves it
// before the decoder search: bytes read one at a time, line 1 raised.
struct OpenLink {
    OpenLink()
    {
        SComm &comm = link.Comm();
        comm.setPortnumber(3);
        comm.setRxthreshold(1);
        comm.setReadlen(SComm::ReadOneByte);
        comm.setInputmode(SComm::comInputModeBinary);
        comm.setPortopen(true);
        link.LineOn();
    }
    QTimer *Timer2() { return link.findChild<QTimer *>(QStringLiteral("Timer2")); }

    UpdateRig rig;
    MemoryUpdateView view;
    UpdateLink link{view};
};
} // namespace

class TestUpdateLink : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data();
    void leadingNumber();
    void wholeNumber_data();
    void wholeNumber();
    void receiveHandler();
    void waitack_data();
    void waitack();
    void replyAlreadyWaitingIsTakenAtOnce();
    void acknowledgeTest_data();
    void acknowledgeTest();
    void sendTakesOnlyBytes();
    void waitEndsOnFirstTickOrWhenExiting();
};

void TestUpdateLink::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("blanks and a unit") << " \t12.5ms" << 12.5;
    QTest::newRow("signed exponent") << "-3e2x" << -300.0;
    QTest::newRow("comma ends it") << "4,7" << 4.0;
}

void TestUpdateLink::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(TextNumber::LeadingNumber(text), number);
}

void TestUpdateLink::wholeNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("whole");
    QTest::newRow("half down to even") << 2.5 << true << 2;
    QTest::newRow("half up to even") << 3.5 << true << 4;
    QTest::newRow("one beyond") << 2147483648.0 << false << 0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << false << 0;
}

void TestUpdateLink::wholeNumber()
{
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(int, whole);
    try {
        QCOMPARE(TextNumber::WholeNumber(value), whole);
        QVERIFY(fits);
    } catch (const UpdateError &error) {
        QVERIFY2(!fits, qPrintable(error.Description()));
        QCOMPARE(error.Description(), QStringLiteral("Overflow"));
    }
}

// Each byte is read and logged on its own; the last one stays for the caller.
void TestUpdateLink::receiveHandler()
{
    OpenLink open;
    const QByteArray arrived("\x12\xFC\x1C");
    emit open.rig.decoder->Sent(arrived);
    open.link.MSComm2_OnComm();
    QCOMPARE(open.rig.log, (QStringList{"COM-Int Data Receive: 18", "COM-Int Data Receive: Nack",
                                        "COM-Int Data Receive: Ack"}));
    QCOMPARE(open.link.RxBytes, arrived.right(1));
    QVERIFY(open.link.DataReceived);
    QCOMPARE(open.link.Comm().incount(), 0);
}

void TestUpdateLink::waitack_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("blind");
    QTest::addColumn<bool>("received");
    QTest::newRow("any byte, 0x00 too") << QByteArray(1, '\0') << false << true;
    QTest::newRow("no answer") << ScriptedDecoder::Silence << false << false;
    QTest::newRow("blind, no answer") << ScriptedDecoder::Silence << true << true;
}

void TestUpdateLink::waitack()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, blind);
    QFETCH(bool, received);
    OpenLink open;
    open.view.blind = blind;
    open.rig.decoder->Then(reply);
    const int32_t untouched = 77;
    open.link.timercnt = untouched;
    open.link.send(0x21);
    QCOMPARE(open.link.waitack(), received);
    QVERIFY(!open.Timer2()->isActive());
    if (blind)
        QCOMPARE(open.link.timercnt, untouched); // Timer2 was never started
    else if (!received)
        QVERIFY(open.link.timerflag); // all ten ticks passed
}

// A reply that waits before the wait begins ends it before its first tick, every time (one
// wait alone may be woken early by some other pending event).
void TestUpdateLink::replyAlreadyWaitingIsTakenAtOnce()
{
    OpenLink open;
    for (int reply = 0; reply < 20; ++reply) {
        open.link.send(0x21);
        open.link.AwaitReply(1, NeverTickMs);
        QVERIFY(open.link.DataReceived);
        QVERIFY(!open.link.timerflag);
        QVERIFY(!open.Timer2()->isActive());
    }
    QCOMPARE(open.rig.log, QStringList(20, "COM-Int Data Receive: Ack"));
}

void TestUpdateLink::acknowledgeTest_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<bool>("acknowledged");
    QTest::newRow("0x1C, the decoder's acknowledgement") << 0x1C << true;
    QTest::newRow("0x09, bit 0 set") << 0x09 << false;
    QTest::newRow("0x00, bit 3 clear") << 0x00 << false;
    QTest::newRow("0xFC, its refusal") << 0xFC << false;
}

void TestUpdateLink::acknowledgeTest()
{
    QFETCH(int, byte);
    QFETCH(bool, acknowledged);
    MemoryUpdateView view;
    UpdateLink link(view);
    link.RxBytes = QByteArray(1, static_cast<char>(byte));
    link.bufferinbin();
    QCOMPARE(link.Acknowledged(), acknowledged);

    link.RxBytes.clear();
    QVERIFY_THROWS_EXCEPTION(UpdateError, link.bufferinbin());
}

void TestUpdateLink::sendTakesOnlyBytes()
{
    OpenLink open;
    for (const int32_t beyond : {256, -1}) {
        open.link.DataReceived = true;
        QVERIFY_THROWS_EXCEPTION(UpdateError, open.link.send(beyond));
        QVERIFY(open.link.DataReceived);
    }
    QVERIFY(open.rig.decoder->Received().isEmpty());
    open.link.send(255);
    QVERIFY(!open.link.DataReceived);
    QCOMPARE(open.rig.decoder->Received(), QByteArray("\xFF"));
}

void TestUpdateLink::waitEndsOnFirstTickOrWhenExiting()
{
    OpenLink open;
    open.link.wait(0);
    QVERIFY(open.link.timerflag);
    QVERIFY(!open.Timer2()->isActive());

    Module_DU::State().Exiting = true;
    open.link.wait(NeverTickMs / 10);
    QVERIFY(!open.link.timerflag); // it did not wait for a tick
}

QTEST_MAIN(TestUpdateLink)
#include "test_update_link.moc"

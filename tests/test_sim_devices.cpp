// The simulated programmers on their own: what the update box and the adapter answer, and when.
#include "sim/SimAdapter.h"
#include "sim/SimNoise.h"
#include "sim/SimPortSpec.h"
#include "sim/SimUpdateBox.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
template <typename Model>
std::shared_ptr<Model> Make(const QString &spec)
{
    return std::dynamic_pointer_cast<Model>(SimPortSpec::Create(spec));
}

QByteArray SentBytes(const QSignalSpy &sent)
{
    QByteArray bytes;
    for (const QList<QVariant> &signal : sent)
        bytes += signal.at(0).toByteArray();
    return bytes;
}

void Pulse(SimDevice &device)
{
    device.SetLines(true, false);
    device.SetLines(false, false);
}
} // namespace

class SimDevicesTest : public QObject {
    Q_OBJECT

private slots:
    void boxAnswersEndOfPulse();
    void adapterCommands();
    void adapterInBoxModeTakesTrackBytesWhileLineRaised();
    void noiseSendsOnlyWhileOpen();
};

void SimDevicesTest::boxAnswersEndOfPulse()
{
    auto box = Make<SimUpdateBox>("sim:box?status=4241");
    QSignalSpy sent(box.get(), &SimDevice::Sent);
    box->SetLines(false, true);
    box->SetLines(true, false);
    QCOMPARE(sent.count(), 0);
    box->SetLines(true, true);
    box->SetLines(false, false);
    QCOMPARE(SentBytes(sent), QByteArray("\x42\x41"));
    box->Receive("FLINT_EIN\r");
    QCOMPARE(sent.count(), 1);
}

void SimDevicesTest::adapterCommands()
{
    auto adapter = Make<SimAdapter>("sim:adapter?reply=ok%0D%0A");
    QSignalSpy sent(adapter.get(), &SimDevice::Sent);
    Pulse(*adapter);
    QCOMPARE(sent.count(), 0); // not in update-box mode: no status byte

    adapter->Receive("\rFLINT_");
    QVERIFY(!adapter->BoxMode());
    adapter->Receive("EIN\r");
    QVERIFY(adapter->BoxMode());
    QCOMPARE(SentBytes(sent), QByteArray("ok\r\n"));
    Pulse(*adapter);
    QCOMPARE(SentBytes(sent), QByteArray("ok\r\n\x40"));

    adapter->Receive("FLINT_AUS\r");
    QVERIFY(!adapter->BoxMode());
    QCOMPARE(adapter->Received(), QByteArray("\rFLINT_EIN\rFLINT_AUS\r"));
}

void SimDevicesTest::adapterInBoxModeTakesTrackBytesWhileLineRaised()
{
    auto adapter = Make<SimAdapter>("sim:adapter");
    adapter->Receive("FLINT_EIN\r");
    adapter->SetLines(true, false);
    adapter->Receive("FLINT_AUS\r"); // bytes for the track, not a command
    QVERIFY(adapter->BoxMode());
    adapter->SetLines(false, false);
    adapter->Receive("FLINT_AUS\r");
    QVERIFY(!adapter->BoxMode());
}

void SimDevicesTest::noiseSendsOnlyWhileOpen()
{
    auto noise = Make<SimNoise>("sim:noise?pattern=%00ab");
    QSignalSpy sent(noise.get(), &SimDevice::Sent);
    noise->Connect();
    QTRY_VERIFY(sent.count() >= 3);
    QCOMPARE(sent.at(0).at(0).toByteArray(), QByteArray("\0ab", 3));
    noise->Disconnect();
    const int count = sent.count();
    QTest::qWait(50);
    QCOMPARE(sent.count(), count);
}

QTEST_MAIN(SimDevicesTest)
#include "test_sim_devices.moc"

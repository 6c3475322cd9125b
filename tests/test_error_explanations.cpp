// What the user is told when a port is held by another program or the settings cannot be
// written, and what becomes of the leftovers of an interrupted write.
#include "FileSizeLimit.h"
#include "TestFolders.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "app/Startup.h"
#include "app/mod_config.h"
#include "port/QtSerialDevice.h"
#include "port/SerialError.h"
#include "software/FindNewestSoftwareFile.h"

#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {
constexpr int ReceiveBufferBytes = 512;
// Old enough to belong to no running write, and young enough that a file of its age is not.
constexpr qint64 StaleAgeSeconds = 2 * 60 * 60;
constexpr qint64 FreshAgeSeconds = 60;
constexpr qint64 OneDaySeconds = 24 * 60 * 60;

// The log lines written while it lives.
class LogLines {
public:
    LogLines()
    {
        Log::SetSink([this](const QString &line) { lines_ << line; });
    }
    ~LogLines() { Log::SetSink({}); }
    QString Text() const { return lines_.join(QLatin1Char('\n')); }

private:
    QStringList lines_;
};

void Touch(const QString &path, const QDateTime &time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

class ErrorExplanationsTest : public QObject {
    Q_OBJECT

private slots:
    void portHeldByAnotherOpeningNamesIt();
    void failedSettingsWriteKeepsOldFile();
    void leftoversOfInterruptedWrites();
};

// The system reports a port locked by another program as a permission error; the user must
// hear that the port is in use and by whom, not that the account lacks a group.
void ErrorExplanationsTest::portHeldByAnotherOpeningNamesIt()
{
    const int controller = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(controller >= 0 && grantpt(controller) == 0 && unlockpt(controller) == 0);
    const QString path = QString::fromLatin1(ptsname(controller));
    QtSerialDevice holder(path);
    holder.Open(ReceiveBufferBytes);
    QtSerialDevice second(path);
    QString description;
    try {
        second.Open(ReceiveBufferBytes);
    } catch (const SerialError &error) {
        description = error.Description();
    }
    holder.Close();
    close(controller);
    QVERIFY2(description.contains(QStringLiteral("is using this port")), qPrintable(description));
    QVERIFY2(description.contains(
                 QStringLiteral("process %1)").arg(QCoreApplication::applicationPid())),
             qPrintable(description));
    QVERIFY2(!description.contains(QStringLiteral("usermod")), qPrintable(description));
}

// A full disk at the close-down: the old settings stay whole, nothing is left beside them, and
// the user is told which file and why.
void ErrorExplanationsTest::failedSettingsWriteKeepsOldFile()
{
    TestFolders folders;
    const QByteArray old = "[Config]\nLANGUAGE=fr\n";
    auto &state = Module_DU::State();
    state.SettingsFile = TestFolders::WriteFile(folders.UserFolder() + "Inits.ini", old);
    state.LanguageValid = true;
    state.LanguageIndex = 1;
    state.LastFolder = QStringLiteral("/a/folder/long/enough/to/pass/the/limit/");
    LogLines log;
    {
        FileSizeLimit limit(old.size() - 1); // less than even the first value needs
        mod_config::SaveConfig();
    }
    QCOMPARE(TestFolders::ReadFile(state.SettingsFile), old);
    QCOMPARE(QDir(folders.UserFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Inits.ini"});
    QVERIFY2(log.Text().contains(state.SettingsFile + QStringLiteral(" not written: ")),
             qPrintable(log.Text()));
    QVERIFY2(log.Text().contains(FileSizeLimit::FailureText()), qPrintable(log.Text()));
}

// A kill between writing and renaming leaves name.XXXXXX. A stale one of the settings file,
// the version list or a decoder software file goes at the next start; a fresh one may belong
// to a write that is still running and stays, but is never loaded as a decoder software file.
void ErrorExplanationsTest::leftoversOfInterruptedWrites()
{
    TestFolders folders;
    const QString user = folders.UserFolder();
    const QString software = folders.SoftwareFolder();
    const auto write = [](const QString &path, qint64 ageSeconds) {
        Touch(TestFolders::WriteFile(path, "DF;0;"),
              QDateTime::currentDateTime().addSecs(-ageSeconds));
    };
    write(user + "Inits.ini.KqWzTb", StaleAgeSeconds);
    write(user + "DSW_Version.txt.aBcDeF", StaleAgeSeconds);
    write(software + "DS2025.vup.AbCdEf", StaleAgeSeconds);
    write(user + "Inits.ini.PpQqRr", FreshAgeSeconds);
    write(software + "notes.backup", StaleAgeSeconds); // not the temporary file of ours
    write(software + "DECODERSW.DAT", OneDaySeconds);
    // Newer than any file beside it.
    write(software + "DECODERSW.DAT.xyzDAT", -OneDaySeconds);

    Startup::PrepareProgram();

    QCOMPARE(QDir(user).entryList(QDir::Files | QDir::Hidden), QStringList{"Inits.ini.PpQqRr"});
    QCOMPARE(QDir(software).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{"DECODERSW.DAT", "DECODERSW.DAT.xyzDAT", "notes.backup"}));
    QCOMPARE(FindNewestSoftwareFile(), software + "DECODERSW.DAT");
}

QTEST_GUILESS_MAIN(ErrorExplanationsTest)
#include "test_error_explanations.moc"

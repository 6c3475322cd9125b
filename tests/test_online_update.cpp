// The online update: the version list reader, the address and file name policy, and the
// window's whole exchange against a local HTTPS server with its own certificate authority.
#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "app/mod_ini.h"
#include "online/UpdateServer.h"
#include "online/VersionList.h"
#include "online/frm_down_DU.h"
#include "online/mod_URLDownload.h"
#include "support/HttpsTestServer.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString ListPath = QStringLiteral("/update/DSW_Version.txt");
const QString FilePath = QStringLiteral("/files/DECODERSW.DAT");
const QByteArray Software = "DF;0;12;20;34;NEW;2;0;1." + QByteArray(34, 'x');

QByteArray VersionList(const QString &location, const QString &file, int version = 7)
{
    return QStringLiteral("Projekt, Name, \"Tobrik, Test\", ID, 3, Version, 2, /Projekt\r\n"
                          "Decodersw\r\nVersion, %1\r\nDatum, 24.12.2025\r\n"
                          "Location, \"%2\"\r\nDatei, \"%3\"\r\n/Decodersw\r\n")
        .arg(version)
        .arg(location, file)
        .toLatin1();
}

const QString &Text(int index)
{
    return Module_DU::State().Texts[index];
}

QString DateLine()
{
    return Text(43) + QLocale().toString(QDate(2025, 12, 24), QLocale::LongFormat);
}
} // namespace

class TestOnlineUpdate : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void versionList_data();
    void versionList();
    void missingVersionListChangesNothing();
    void addressPolicy_data();
    void addressPolicy();
    void fileNamePolicy_data();
    void fileNamePolicy();
    void serverAddressComesFromSettings();

    void freshDownloadStoresTheFile();
    void presentFileIsNotDownloadedAgain();
    void failedDownloadLeavesNoFile();
    void missingVersionListReportsFailure();
    void versionZeroDownloadsNothing();
    void unsafeFileNameIsRefused_data();
    void unsafeFileNameIsRefused();
    void plainHttpLocationIsRefused();
    void untrustedCertificateFails();
    void stalledDownloadEndsAndLeavesNoFile();

private:
    void StartServer(HttpsTestServer::Identity identity = HttpsTestServer::Identity::Trusted);
    QStringList RunWindow();
    QStringList SoftwareFolderEntries() const;

    std::unique_ptr<QTemporaryDir> root_;
    std::unique_ptr<HttpsTestServer> server_;
    QList<bool> closableWhileAdding_;
};

void TestOnlineUpdate::init()
{
    Module_DU::ResetState();
    root_ = std::make_unique<QTemporaryDir>();
    auto &state = Module_DU::State();
    state.UserFolder = root_->path() + QStringLiteral("/user/");
    state.SoftwareFolder = state.UserFolder + QStringLiteral("DECSOFT/");
    state.SettingsFile = state.UserFolder + QStringLiteral("Inits.ini");
    QVERIFY(QDir().mkpath(state.SoftwareFolder));
    LanguageTexts::ReadTexts(root_->filePath(QStringLiteral("no-texts-file.txt")));
    mod_URLDownload::SetExtraCaCertificates({HttpsTestServer::Authority()});
    mod_URLDownload::SetStallTimeout(400);
    closableWhileAdding_.clear();
}

void TestOnlineUpdate::cleanup()
{
    server_.reset();
    mod_URLDownload::SetExtraCaCertificates({});
}

void TestOnlineUpdate::StartServer(HttpsTestServer::Identity identity)
{
    server_ = std::make_unique<HttpsTestServer>(identity);
    QVERIFY(server_->Listen());
    QVERIFY(mod_ini::WriteIniString(QStringLiteral("Online"), QStringLiteral("SERVER"),
                                    server_->BaseUrl(), Module_DU::State().SettingsFile));
}

QStringList TestOnlineUpdate::RunWindow()
{
    frm_down_DU window;
    auto *close = window.findChild<QPushButton *>(QStringLiteral("cmd_ende"));
    auto *list = window.findChild<QListWidget *>(QStringLiteral("List1"));
    if (!close || !list || close->isEnabled() || close->text() != Text(49))
        return {QStringLiteral("cmd_ende missing, enabled or wrongly labelled at load")};
    connect(list->model(), &QAbstractItemModel::rowsInserted, this,
            [this, close] { closableWhileAdding_ << close->isEnabled(); });
    QSignalSpy finished(&window, &frm_down_DU::ExchangeFinished);
    window.show();
    if (!finished.wait(10000))
        return {QStringLiteral("exchange did not end")};
    if (!close->isEnabled())
        return {QStringLiteral("cmd_ende still disabled")};
    close->click();
    if (window.isVisible() || closableWhileAdding_.contains(true))
        return {QStringLiteral("cmd_ende usable too early or not closing")};
    return window.Lines();
}

QStringList TestOnlineUpdate::SoftwareFolderEntries() const
{
    return QDir(Module_DU::State().SoftwareFolder)
        .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

void TestOnlineUpdate::versionList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("version");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("file");

    QTest::newRow("sections before Decodersw, quoted commas")
        << QString::fromLatin1(VersionList("https://h.example/f/", "DS_1.VUP")) << 7
        << QDate(2025, 12, 24) << "DS_1.VUP";
    QTest::newRow("unknown section with the same keys is skipped whole")
        << "Neu, Version, 9, Datei, \"x, y\", /Neu\nDecodersw, Version, 3, Datei, A.DAT, /Decodersw"
        << 3 << QDate() << "A.DAT";
    QTest::newRow("item that is no key is skipped alone")
        << "Decodersw, Extra, Version, 5, /Decodersw" << 5 << QDate() << QString();
    QTest::newRow("PLV sections read over")
        << "PLV_Update, Version, 8, MinVersion, 1, /PLV_Update, PLV_Setup, Datei, S.EXE, "
           "/PLV_Setup, Decodersw, Datei, D.DAT, /Decodersw"
        << 0 << QDate() << "D.DAT";
    QTest::newRow("version that is no number is ignored")
        << "Decodersw, Version, 4, Version, x1, /Decodersw" << 4 << QDate() << QString();
    QTest::newRow("date that is no date is ignored")
        << "Decodersw, Datum, 1.2.2024, Datum, 31.02.2024, /Decodersw" << 0 << QDate(2024, 2, 1)
        << QString();
    QTest::newRow("unclosed section ends with the file")
        << "Decodersw, Version, 6, Datei, B.DAT" << 6 << QDate() << "B.DAT";
    QTest::newRow("key without value at the end") << "Decodersw, Version" << 0 << QDate()
                                                  << QString();
    QTest::newRow("unclosed unknown section hides the rest")
        << "Alt, Decodersw, Version, 2, /Decodersw" << 0 << QDate() << QString();
}

void TestOnlineUpdate::versionList()
{
    QFETCH(QString, text);
    QFETCH(int, version);
    QFETCH(QDate, date);
    QFETCH(QString, file);
    DecoderSwEntry entry;
    ParseVersionList(text, entry);
    QCOMPARE(int(entry.Version), version);
    QCOMPARE(entry.Date, date);
    QCOMPARE(entry.File, file);
}

void TestOnlineUpdate::missingVersionListChangesNothing()
{
    DecoderSwEntry entry;
    entry.Version = 9;
    entry.File = QStringLiteral("KEEP.DAT");
    ReadVersionList(root_->filePath(QStringLiteral("absent.txt")), entry);
    QCOMPARE(int(entry.Version), 9);
    QCOMPARE(entry.File, QStringLiteral("KEEP.DAT"));
}

void TestOnlineUpdate::addressPolicy_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("permitted");
    QTest::newRow("https") << "https://files.example/x/" << true;
    QTest::newRow("http to another host") << "http://files.example/x/" << false;
    QTest::newRow("http to 127.0.0.1") << "http://127.0.0.1:8080/x" << true;
    QTest::newRow("http to ::1") << "http://[::1]/x" << true;
    QTest::newRow("ftp") << "ftp://files.example/x" << false;
    QTest::newRow("relative") << "DECODERSW.DAT" << false;
}

void TestOnlineUpdate::addressPolicy()
{
    QFETCH(QString, url);
    QFETCH(bool, permitted);
    QCOMPARE(UpdateServer::IsPermittedUrl(QUrl(url)), permitted);
}

void TestOnlineUpdate::fileNamePolicy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::newRow("plain") << "DECODERSW.DAT" << true;
    QTest::newRow("dots inside") << "DS_2.1.VUP" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("parent") << ".." << false;
    QTest::newRow("up and out") << "../Inits.ini" << false;
    QTest::newRow("absolute") << "/tmp/x.dat" << false;
    QTest::newRow("drive") << "C:x.dat" << false;
}

void TestOnlineUpdate::fileNamePolicy()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QCOMPARE(UpdateServer::IsPlainFileName(name), plain);
}

void TestOnlineUpdate::serverAddressComesFromSettings()
{
    const QUrl standard(UpdateServer::VersionListUrl());
    QCOMPARE(standard.scheme(), QStringLiteral("https"));
    QVERIFY(standard.host().endsWith(QStringLiteral(".example")));
    QCOMPARE(standard.path(), ListPath);
    QVERIFY(mod_ini::WriteIniString(QStringLiteral("Online"), QStringLiteral("SERVER"),
                                    QStringLiteral("https://mirror.example/base/"),
                                    Module_DU::State().SettingsFile));
    QCOMPARE(UpdateServer::VersionListUrl(),
             QStringLiteral("https://mirror.example/base/update/DSW_Version.txt"));
}

void TestOnlineUpdate::freshDownloadStoresTheFile()
{
    StartServer();
    server_->Serve(ListPath, VersionList(server_->BaseUrl() + "/files/", "DECODERSW.DAT"));
    server_->Serve(FilePath, Software);
    QCOMPARE(RunWindow(), QStringList({DateLine(), Text(44), Text(46)}));
    auto &state = Module_DU::State();
    QFile file(state.SoftwareFolder + QStringLiteral("DECODERSW.DAT"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), Software);
    QCOMPARE(SoftwareFolderEntries(), QStringList{QStringLiteral("DECODERSW.DAT")});
    QCOMPARE(state.LastFolder, state.SoftwareFolder);
    QVERIFY(QFile::exists(state.UserFolder + QStringLiteral("DSW_Version.txt")));
}

void TestOnlineUpdate::presentFileIsNotDownloadedAgain()
{
    StartServer();
    server_->Serve(ListPath, VersionList(server_->BaseUrl() + "/files/", "DECODERSW.DAT"));
    server_->Serve(FilePath, Software);
    const QString local = Module_DU::State().SoftwareFolder + QStringLiteral("DECODERSW.DAT");
    QFile present(local);
    QVERIFY(present.open(QIODevice::WriteOnly) && present.write("old") == 3);
    present.close();
    QCOMPARE(RunWindow(), QStringList({DateLine(), Text(45)}));
    QCOMPARE(server_->Requests(), QStringList{ListPath});
    QVERIFY(present.open(QIODevice::ReadOnly));
    QCOMPARE(present.readAll(), QByteArray("old"));
    QVERIFY(Module_DU::State().LastFolder.isEmpty());
}

void TestOnlineUpdate::failedDownloadLeavesNoFile()
{
    StartServer();
    server_->Serve(ListPath, VersionList(server_->BaseUrl() + "/files/", "DECODERSW.DAT"));
    QCOMPARE(RunWindow(), QStringList({DateLine(), Text(44), Text(42)}));
    QCOMPARE(server_->Requests(), QStringList({ListPath, FilePath}));
    QCOMPARE(SoftwareFolderEntries(), QStringList());
}

void TestOnlineUpdate::missingVersionListReportsFailure()
{
    StartServer();
    QCOMPARE(RunWindow(), QStringList{Text(42)});
    QVERIFY(!QFile::exists(Module_DU::State().UserFolder + QStringLiteral("DSW_Version.txt")));
}

void TestOnlineUpdate::versionZeroDownloadsNothing()
{
    StartServer();
    server_->Serve(ListPath, VersionList(server_->BaseUrl() + "/files/", "DECODERSW.DAT", 0));
    server_->Serve(FilePath, Software);
    QCOMPARE(RunWindow(), QStringList{Text(42)});
    QCOMPARE(server_->Requests(), QStringList{ListPath});
}

void TestOnlineUpdate::unsafeFileNameIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent folder") << "../Inits.ini";
    QTest::newRow("sub folder") << "sub/DECODERSW.DAT";
    QTest::newRow("dot dot") << "..";
    QTest::newRow("empty") << "";
}

void TestOnlineUpdate::unsafeFileNameIsRefused()
{
    QFETCH(QString, name);
    StartServer();
    server_->Serve(ListPath, VersionList(server_->BaseUrl() + "/files/", name));
    server_->Serve(QStringLiteral("/files/") + name, Software);
    const QStringList before = QDir(Module_DU::State().UserFolder).entryList(QDir::AllEntries);
    QCOMPARE(RunWindow(), QStringList{Text(42)});
    QCOMPARE(server_->Requests(), QStringList{ListPath});
    QCOMPARE(SoftwareFolderEntries(), QStringList());
    QStringList after = QDir(Module_DU::State().UserFolder).entryList(QDir::AllEntries);
    after.removeOne(QStringLiteral("DSW_Version.txt"));
    QCOMPARE(after, before);
}

void TestOnlineUpdate::plainHttpLocationIsRefused()
{
    StartServer();
    server_->Serve(ListPath, VersionList(QStringLiteral("http://files.example/"), "DECODERSW.DAT"));
    QCOMPARE(RunWindow(), QStringList({DateLine(), Text(44), Text(42)}));
    QCOMPARE(SoftwareFolderEntries(), QStringList());
}

void TestOnlineUpdate::untrustedCertificateFails()
{
    StartServer(HttpsTestServer::Identity::Untrusted);
    server_->Serve(ListPath, VersionList(server_->BaseUrl() + "/files/", "DECODERSW.DAT"));
    server_->Serve(FilePath, Software);
    QCOMPARE(RunWindow(), QStringList{Text(42)});
    QVERIFY(!QFile::exists(Module_DU::State().UserFolder + QStringLiteral("DSW_Version.txt")));

    // The same server is accepted once its authority is trusted: the certificate was the cause.
    mod_URLDownload::SetExtraCaCertificates(
        {HttpsTestServer::Authority(HttpsTestServer::Identity::Untrusted)});
    QCOMPARE(RunWindow(), QStringList({DateLine(), Text(44), Text(46)}));
}

void TestOnlineUpdate::stalledDownloadEndsAndLeavesNoFile()
{
    StartServer();
    server_->Serve(ListPath, VersionList(server_->BaseUrl() + "/files/", "DECODERSW.DAT"));
    server_->Stall(FilePath, Software.left(20));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(RunWindow(), QStringList({DateLine(), Text(44), Text(42)}));
    QVERIFY(clock.elapsed() < 8000);
    QCOMPARE(SoftwareFolderEntries(), QStringList());
}

QTEST_MAIN(TestOnlineUpdate)
#include "test_online_update.moc"

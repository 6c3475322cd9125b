// The online update: the version list reader, the address policy, and the whole exchange
// against a local HTTPS server with its own certificate authority, in memory and in its window.
#include "app/LanguageTexts.h"
#include "app/Log.h"
#include "app/Module_DU.h"
#include "app/mod_ini.h"
#include "online/OnlineUpdate.h"
#include "online/UpdateServer.h"
#include "online/VersionList.h"
#include "online/frm_down_DU.h"
#include "online/mod_URLDownload.h"
#include "support/DswBuilder.h"
#include "support/HttpsTestServer.h"
#include "support/SparseFile.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
using Delivery = HttpsTestServer::Delivery;
using Payload = mod_URLDownload::Payload;

const QString ListPath = QStringLiteral("/update/DSW_Version.txt");
const QByteArray Software = "DF;0;12;20;34;NEW;2;0;1." + QByteArray(34, 'x');
// Small limits, so that the tests need not send megabytes.
constexpr qint64 TestListLimit = 1024;
constexpr qint64 TestSoftwareLimit = 256 * 1024;
constexpr int TestStallMs = 400;
constexpr int TestDeadlineMs = 1500;

// Points the program's folders into root and sets the configured server.
void PrepareFolders(const QTemporaryDir &root, const QString &server)
{
    Module_DU::ResetState();
    auto &state = Module_DU::State();
    state.UserFolder = root.path() + QStringLiteral("/user/");
    state.SoftwareFolder = state.UserFolder + QStringLiteral("DECSOFT/");
    state.SettingsFile = state.UserFolder + QStringLiteral("Inits.ini");
    QVERIFY(QDir().mkpath(state.SoftwareFolder));
    QVERIFY(mod_ini::WriteIniString(QStringLiteral("Online"), QStringLiteral("SERVER"), server,
                                    state.SettingsFile));
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs a download the way the program does: from inside the running event loop, which the
// close-down may end while the download waits.
bool DownloadInEventLoop(const QString &url, const QString &path, Payload payload)
{
    bool ok = false;
    QTimer::singleShot(0, qApp, [&] {
        ok = mod_URLDownload::DownloadFile(url, path, payload);
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    return ok;
}

// The window in memory: its lines, and how many lines it held each time it became closable.
class MemoryOnlineView : public OnlineUpdateView {
public:
    void AddLine(const QString &line) override { lines << line; }
    void EnableClose() override { closableAfter << lines.size(); }

    QStringList lines;
    QList<int> closableAfter;
};

// The text of a line given by its number in the language table; 0 is the date line of
// 24.12.2025.
QStringList ExpectedLines(const QList<int> &numbers)
{
    const auto &texts = Module_DU::State().Texts;
    QStringList lines;
    for (const int number : numbers)
        lines << (number ? texts[number]
                         : texts[43] + QLocale().toString(QDate(2025, 12, 24), QLocale::LongFormat));
    return lines;
}

QByteArray VersionList(int version, const QString &location, const QString &file)
{
    return QStringLiteral("Decodersw\r\nVersion, %1\r\nDatum, 24.12.2025\r\n"
                          "Location, \"%2\"\r\nDatei, \"%3\"\r\n/Decodersw\r\n")
        .arg(version)
        .arg(location, file)
        .toLatin1();
}
} // namespace

class TestOnlineUpdate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void versionList_data();
    void versionList();
    void permittedAddresses_data();
    void permittedAddresses();
    void plainFileNames_data();
    void plainFileNames();
    void download_data();
    void download();
    void exchange_data();
    void exchange();
    void windowShowsTheExchange();
    void oversizedVersionListIsNotRead();
};

void TestOnlineUpdate::initTestCase()
{
    mod_URLDownload::SetStallTimeout(TestStallMs);
    mod_URLDownload::SetDeadline(TestDeadlineMs);
    mod_URLDownload::SetSizeLimit(Payload::VersionList, TestListLimit);
    mod_URLDownload::SetSizeLimit(Payload::SoftwareFile, TestSoftwareLimit);
}

void TestOnlineUpdate::versionList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("entry"); // VERSION|DATE|FILE
    QTest::newRow("sections before Decodersw, quoted commas, line ends")
        << "Projekt, Name, \"Tobrik, Test\", /Projekt\r\nDecodersw\r\nVersion, 7\r\n"
           "Datum, 24.12.2025\r\nDatei, \"DS_1.VUP\"\r\n/Decodersw\r\n"
        << "7|2025-12-24|DS_1.VUP";
    QTest::newRow("unknown section with the same keys is skipped whole")
        << "Neu, Version, 9, Datei, \"x, y\", /Neu\nDecodersw, Version, 3, Datei, A.DAT, /Decodersw"
        << "3||A.DAT";
    QTest::newRow("PLV sections read over, an item that is no key skipped alone")
        << "PLV_Update, Version, 8, /PLV_Update, PLV_Setup, Datei, S.EXE, /PLV_Setup, Decodersw, "
           "Extra, Datei, D.DAT, /Decodersw" << "0||D.DAT";
    QTest::newRow("version or date that does not convert is ignored")
        << "Decodersw, Version, 4, Version, x1, Datum, 1.2.2024, Datum, 31.02.2024, /Decodersw"
        << "4|2024-02-01|";
    QTest::newRow("unclosed section ends with the file")
        << "Decodersw, Version, 6, Datei, B.DAT" << "6||B.DAT";
    // Empty items where a section name belongs are read over, not taken as a section that
    // never closes.
    QTest::newRow("blank lines between sections")
        << "Projekt, Name, P, /Projekt\r\n\r\n\r\nDecodersw, Version, 2, Datei, C.DAT, /Decodersw"
        << "2||C.DAT";
    QTest::newRow("comma at the end of a line")
        << "PLV_Setup, Version, 1, /PLV_Setup,\nDecodersw, Version, 5, /Decodersw,\n" << "5||";
    // EF BB BF as the 8-bit reader decodes it.
    QTest::newRow("UTF-8 byte-order mark")
        << QString::fromLatin1("\xEF\xBB\xBF" "Decodersw, Version, 8, Datei, E.DAT, /Decodersw")
        << "8||E.DAT";
}

void TestOnlineUpdate::versionList()
{
    QFETCH(QString, text);
    QFETCH(QString, entry);
    DecoderSwEntry read;
    ParseVersionList(text, read);
    QCOMPARE(QStringLiteral("%1|%2|%3").arg(read.Version).arg(read.Date.toString(Qt::ISODate),
                                                              read.File),
             entry);
}

void TestOnlineUpdate::permittedAddresses_data()
{
    QTest::addColumn<QString>("configured"); // the settings file's server
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("permitted");         // as an address to fetch
    QTest::addColumn<bool>("permittedRedirect"); // as a redirect target
    const QString https = QStringLiteral("https://updates.example.org");
    const QString local = QStringLiteral("http://127.0.0.1:8080");
    QTest::newRow("https anywhere") << https << "https://cdn.example.net/f/D.DAT" << true << true;
    QTest::newRow("plain http elsewhere") << https << "http://cdn.example.net/D.DAT" << false
                                          << false;
    QTest::newRow("plain http on this machine, server is https")
        << "https://127.0.0.1:8080" << "http://127.0.0.1:8080/files/D.DAT" << false << false;
    QTest::newRow("the configured local http server")
        << local << "http://127.0.0.1:8080/files/D.DAT" << true << false;
    QTest::newRow("another port on this machine") << local << "http://127.0.0.1:8081/D.DAT"
                                                  << false << false;
    QTest::newRow("another name for this machine") << local << "http://localhost:8080/D.DAT"
                                                   << false << false;
    QTest::newRow("default port on both sides") << "http://localhost" << "http://LOCALHOST:80/D.DAT"
                                                << true << false;
    QTest::newRow("configured plain http not on this machine")
        << "http://updates.example.org" << "http://updates.example.org/D.DAT" << false << false;
    QTest::newRow("other scheme") << local << "ftp://127.0.0.1:8080/D.DAT" << false << false;
    QTest::newRow("no host") << https << "https:///D.DAT" << false << false;
}

void TestOnlineUpdate::permittedAddresses()
{
    QFETCH(QString, configured);
    QFETCH(QString, url);
    QFETCH(bool, permitted);
    QFETCH(bool, permittedRedirect);
    QTemporaryDir root;
    PrepareFolders(root, configured);
    QCOMPARE(UpdateServer::IsPermittedUrl(QUrl(url)), permitted);
    QCOMPARE(UpdateServer::IsPermittedRedirect(QUrl(url)), permittedRedirect);
}

void TestOnlineUpdate::plainFileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    for (const char *name : {"DECODERSW.DAT", "DS_2.1.VUP", "COM10.DAT", "CONSOLE.DAT", "NULL",
                             "LPT0.DAT", "my con.dat"})
        QTest::newRow(name) << name << true;
    for (const char *name : {"NUL", "nul.dat", "Com1.vup", "LPT9", "aux.tar.gz", "CON .dat",
                             "prn.", "a?b.dat", "a*.dat", "a<b", "a>b", "a|b", "a\"b", "a:b",
                             "a\\b", "a/b", "..", "."})
        QTest::newRow(name) << name << false;
}

void TestOnlineUpdate::plainFileNames()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QCOMPARE(UpdateServer::IsPlainFileName(name), plain);
}

void TestOnlineUpdate::download_data()
{
    QTest::addColumn<int>("payload");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("delivery");
    QTest::addColumn<QString>("redirect");  // empty: the file is served directly
    QTest::addColumn<QString>("interrupt"); // on the request: nothing, "close-down" or "loop ended"
    QTest::addColumn<bool>("ok");           // true: body stored, else the old file kept

    const int software = int(Payload::SoftwareFile), list = int(Payload::VersionList);
    const int whole = int(Delivery::Whole);
    const QByteArray atLimit(TestSoftwareLimit, 'x'), listBody(2 * TestListLimit, 'v');
    QTest::newRow("whole body") << software << Software << whole << "" << "" << true;
    QTest::newRow("body at the limit") << software << atLimit << whole << "" << "" << true;
    QTest::newRow("body beyond the limit") << software << atLimit + "x" << whole << "" << ""
                                           << false;
    QTest::newRow("version list beyond its own limit") << list << listBody << whole << "" << ""
                                                       << false;
    QTest::newRow("the same bytes as a software file") << software << listBody << whole << ""
                                                       << "" << true;
    QTest::newRow("empty body") << software << QByteArray() << whole << "" << "" << false;
    QTest::newRow("stall") << software << Software << int(Delivery::Stall) << "" << "" << false;
    QTest::newRow("trickle past the deadline") << software << Software << int(Delivery::Trickle)
                                               << "" << "" << false;
    QTest::newRow("fewer bytes than announced") << software << Software << int(Delivery::Short)
                                                << "" << "" << false;
    QTest::newRow("endless body") << software << Software << int(Delivery::Endless) << "" << ""
                                  << false;
    QTest::newRow("redirect to https") << software << Software << whole << "https" << "" << true;
    QTest::newRow("redirect to plain http on this machine") << software << Software << whole
                                                            << "http" << "" << false;
    QTest::newRow("close-down begins") << software << Software << whole << "" << "close-down"
                                       << false;
    QTest::newRow("event loops ended") << software << Software << int(Delivery::Stall) << ""
                                       << "loop ended" << false;
}

// Whatever goes wrong, the file at the path is either the whole new body or the old file.
void TestOnlineUpdate::download()
{
    QFETCH(int, payload);
    QFETCH(QByteArray, body);
    QFETCH(int, delivery);
    QFETCH(QString, redirect);
    QFETCH(QString, interrupt);
    QFETCH(bool, ok);

    mod_URLDownload::SetExtraCaCertificates({HttpsTestServer::Authority()});
    HttpsTestServer https;
    HttpsTestServer plain(HttpsTestServer::Security::PlainHttp);
    QVERIFY(https.Listen() && plain.Listen());
    QTemporaryDir root;
    PrepareFolders(root, https.BaseUrl());
    const QString target = QStringLiteral("/files/D.DAT");
    https.Serve(target, body, Delivery(delivery));
    plain.Serve(target, body, Delivery(delivery));
    QString path = target;
    if (!redirect.isEmpty()) {
        path = QStringLiteral("/moved/D.DAT");
        const HttpsTestServer &to = redirect == QLatin1String("http") ? plain : https;
        https.Redirect(path, to.BaseUrl() + target);
    }
    connect(&https, &HttpsTestServer::Requested, this, [interrupt] {
        if (interrupt == QLatin1String("close-down"))
            Module_DU::State().Exiting = true;
        else if (interrupt == QLatin1String("loop ended")) // as the close-down ends the program,
            // once the head and the first bytes are in
            QTimer::singleShot(TestStallMs / 4, qApp, [] { QCoreApplication::exit(0); });
    });
    const QString local = Module_DU::State().SoftwareFolder + QStringLiteral("D.DAT");
    QVERIFY(DswBuilder::WriteFile(local, "old"));

    QCOMPARE(DownloadInEventLoop(https.BaseUrl() + path, local, Payload(payload)), ok);
    QCOMPARE(ReadAll(local), ok ? body : QByteArray("old"));
    QCOMPARE(QDir(Module_DU::State().SoftwareFolder).entryList(QDir::Files | QDir::Hidden),
             QStringList{"D.DAT"});
    QVERIFY(plain.requests.isEmpty());
}

void TestOnlineUpdate::exchange_data()
{
    QTest::addColumn<QString>("server");   // trusted, untrusted, untrusted but its CA added, plain
    QTest::addColumn<int>("version");      // in the version list; -1: no version list
    QTest::addColumn<QString>("location"); // empty: the server's /files/; "local http": another
                                           // server on this machine, over plain http
    QTest::addColumn<QString>("file");     // "Datei"; "old" is already there when it is present
    QTest::addColumn<QString>("answer");   // for the file: serve, empty, stall or none (404)
    QTest::addColumn<QList<int>>("lines"); // text numbers; 0 is the date line
    QTest::addColumn<int>("requests");     // how many of version list, file were requested
    QTest::addColumn<QByteArray>("stored"); // the software folder's only file; null: none

    const QString d = QStringLiteral("DECODERSW.DAT"), t = QStringLiteral("trusted");
    const QList<int> fresh{0, 44, 46}, failed{0, 44, 42}, refused{42};
    QTest::newRow("present file") << t << 7 << "" << d << "present" << QList<int>{0, 45} << 1
                                  << QByteArray("old");
    QTest::newRow("fresh download") << t << 7 << "" << "DS_2.1.VUP" << "serve" << fresh << 2
                                    << Software;
    QTest::newRow("failed download") << t << 7 << "" << d << "none" << failed << 2 << QByteArray();
    QTest::newRow("empty download") << t << 7 << "" << d << "empty" << failed << 2 << QByteArray();
    QTest::newRow("stalled download") << t << 7 << "" << d << "stall" << failed << 2 << QByteArray();
    QTest::newRow("no version list") << t << -1 << "" << d << "serve" << refused << 1 << QByteArray();
    QTest::newRow("version 0") << t << 0 << "" << d << "serve" << refused << 1 << QByteArray();
    for (const char *unsafe :
         {"../Inits.ini", "sub/DECODERSW.DAT", "..", "", "/tmp/x.dat", "nul.dat", "a?b.dat"})
        QTest::newRow(qPrintable("unsafe Datei " + QString::fromLatin1(unsafe)))
            << t << 7 << "" << unsafe << "serve" << refused << 1 << QByteArray();
    QTest::newRow("plain http location") << t << 7 << "http://files.example/" << d << "serve"
                                         << failed << 1 << QByteArray();
    QTest::newRow("plain http location on this machine") << t << 7 << "local http" << d << "serve"
                                                         << failed << 1 << QByteArray();
    QTest::newRow("configured plain http server on this machine")
        << "plain" << 7 << "" << d << "serve" << fresh << 2 << Software;
    QTest::newRow("untrusted certificate") << "untrusted" << 7 << "" << d << "serve" << refused
                                           << 0 << QByteArray();
    QTest::newRow("same server once its authority is trusted")
        << "untrusted, CA added" << 7 << "" << d << "serve" << fresh << 2 << Software;
}

void TestOnlineUpdate::exchange()
{
    QFETCH(QString, server);
    QFETCH(int, version);
    QFETCH(QString, location);
    QFETCH(QString, file);
    QFETCH(QString, answer);
    QFETCH(QList<int>, lines);
    QFETCH(int, requests);
    QFETCH(QByteArray, stored);

    using Security = HttpsTestServer::Security;
    mod_URLDownload::SetExtraCaCertificates(
        {HttpsTestServer::Authority(!server.endsWith(QLatin1String("CA added")))});
    HttpsTestServer configured(server == QLatin1String("trusted") ? Security::Trusted
                               : server == QLatin1String("plain") ? Security::PlainHttp
                                                                  : Security::Untrusted);
    HttpsTestServer otherLocal(Security::PlainHttp);
    QVERIFY(configured.Listen() && otherLocal.Listen());
    QTemporaryDir root;
    PrepareFolders(root, configured.BaseUrl());
    auto &state = Module_DU::State();
    LanguageTexts::ReadTexts(root.filePath(QStringLiteral("no-texts-file.txt")));
    const QString filePath = QStringLiteral("/files/") + file;
    if (location.isEmpty())
        location = configured.BaseUrl() + QStringLiteral("/files/");
    else if (location == QLatin1String("local http"))
        location = otherLocal.BaseUrl() + QStringLiteral("/files/");
    if (version >= 0)
        configured.Serve(ListPath, VersionList(version, location, file));
    const QByteArray body = answer == QLatin1String("empty") ? QByteArray()
                            : answer == QLatin1String("stall") ? Software.left(20)
                                                               : Software;
    const Delivery delivery = answer == QLatin1String("stall") ? Delivery::Stall : Delivery::Whole;
    if (answer != QLatin1String("none")) {
        configured.Serve(filePath, body, delivery);
        otherLocal.Serve(filePath, body, delivery);
    }
    if (answer == QLatin1String("present"))
        QVERIFY(DswBuilder::WriteFile(state.SoftwareFolder + file, "old"));

    MemoryOnlineView view;
    QElapsedTimer clock;
    clock.start();
    OnlineUpdate(view).Run();
    QVERIFY(clock.elapsed() < 8000);
    QCOMPARE(view.lines, ExpectedLines(lines));
    // Closable once, after the last line.
    QCOMPARE(view.closableAfter, QList<int>{int(lines.size())});

    QCOMPARE(configured.requests, (QStringList{ListPath, filePath}.mid(0, requests)));
    QVERIFY(otherLocal.requests.isEmpty());
    const QStringList files = QDir(state.SoftwareFolder).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, stored.isNull() ? QStringList() : QStringList{file});
    if (!stored.isNull())
        QCOMPARE(ReadAll(state.SoftwareFolder + file), stored);
    // A fresh file becomes the page's folder; nothing is written beside the two folders.
    QCOMPARE(state.LastFolder, stored == Software ? state.SoftwareFolder : QString());
    QStringList user = QDir(state.UserFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    user.removeOne(QStringLiteral("DSW_Version.txt"));
    QCOMPARE(user, (QStringList{"DECSOFT", "Inits.ini"}));
}

// The window runs the exchange on its first showing; it cannot be closed before the last line.
void TestOnlineUpdate::windowShowsTheExchange()
{
    mod_URLDownload::SetExtraCaCertificates({HttpsTestServer::Authority()});
    HttpsTestServer https;
    QVERIFY(https.Listen());
    QTemporaryDir root;
    PrepareFolders(root, https.BaseUrl());
    LanguageTexts::ReadTexts(root.filePath(QStringLiteral("no-texts-file.txt")));
    const QString file = QStringLiteral("DECODERSW.DAT");
    https.Serve(ListPath, VersionList(7, https.BaseUrl() + QStringLiteral("/files/"), file));
    https.Serve(QStringLiteral("/files/") + file, Software);

    frm_down_DU window;
    auto *close = window.findChild<QPushButton *>(QStringLiteral("cmd_ende"));
    auto *list = window.findChild<QListWidget *>(QStringLiteral("List1"));
    QVERIFY(close && list && !close->isEnabled());
    QCOMPARE(close->text(), QStringLiteral("Close Window"));
    // Escape while the exchange runs is refused.
    connect(&https, &HttpsTestServer::Requested, &window, &QDialog::reject);
    QSignalSpy finished(&window, &frm_down_DU::ExchangeFinished);
    window.show();
    QVERIFY(finished.wait(10000));
    QVERIFY(window.isVisible());
    QVERIFY(close->isEnabled());
    QStringList shown;
    for (int row = 0; row < list->count(); ++row)
        shown << list->item(row)->text();
    QCOMPARE(shown, ExpectedLines({0, 44, 46}));
    close->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(ReadAll(Module_DU::State().SoftwareFolder + file), Software);
}

// A version list is a few hundred bytes; one of more than 2 GiB is refused unread, with a line
// in the log, and the entry keeps its values.
void TestOnlineUpdate::oversizedVersionListIsNotRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DSW_Version.txt"));
    QVERIFY(SparseFile::Write(path, "Decodersw, Version, 5, Datei, A.DAT, /Decodersw\r\n"));
    QStringList log;
    Log::SetSink([&log](const QString &line) { log << line; });
    DecoderSwEntry entry;
    ReadVersionList(path, entry);
    Log::SetSink({});
    QCOMPARE(entry.Version, int16_t(0));
    QCOMPARE(entry.File, QString());
    QCOMPARE(log.size(), 1);
    QVERIFY2(log.first().contains(path), qPrintable(log.first()));
}

QTEST_MAIN(TestOnlineUpdate)
#include "test_online_update.moc"

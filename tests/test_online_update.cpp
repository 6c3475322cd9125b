// The online update: the version list reader, downloads and the whole exchange against a local
// HTTPS server with its own certificate authority.
#include "TestFolders.h"

#include "app/LanguageTexts.h"
#include "app/Log.h"
#include "app/Module_DU.h"
#include "app/SmallTextFile.h"
#include "app/mod_ini.h"
#include "online/OnlineUpdate.h"
#include "online/VersionList.h"
#include "online/mod_URLDownload.h"
#include "support/DswBuilder.h"
#include "support/FileSizeLimit.h"
#include "support/HttpsTestServer.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <optional>

namespace {
using Delivery = HttpsTestServer::Delivery;
using Payload = mod_URLDownload::Payload;

const QString ListPath = QStringLiteral("/update/DSW_Version.txt");
const QByteArray Software = "DF;0;12;20;34;NEW;2;0;1." + QByteArray(34, 'x');
// Small limits, so that the tests need not send megabytes.
constexpr qint64 TestListLimit = 1024;
constexpr qint64 TestSoftwareLimit = 256 * 1024;
constexpr int TestStallMs = 400;

// Points the program's folders into root, sets the configured server (a null one: none set in
// the settings file) and the built-in texts.
void PrepareFolders(const QTemporaryDir &root, const QString &server)
{
    Module_DU::ResetState();
    auto &state = Module_DU::State();
    state.UserFolder = root.path() + QStringLiteral("/user/");
    state.SoftwareFolder = state.UserFolder + QStringLiteral("DECSOFT/");
    state.SettingsFile = state.UserFolder + QStringLiteral("Inits.ini");
    QVERIFY(QDir().mkpath(state.SoftwareFolder));
    if (!server.isNull())
        QVERIFY(mod_ini::WriteIniString("Online", "SERVER", server, state.SettingsFile));
    LanguageTexts::ReadTexts(root.filePath(QStringLiteral("no-texts-file.txt")));
}

// Runs a download the way the program does: from inside the running event loop, which the
// close-down may end while the download waits.
bool DownloadInEventLoop(const QString &url, const QString &path, Payload payload)
{
    bool ok = false;
    QTimer::singleShot(0, qApp, [&] {
        ok = mod_URLDownload::DownloadFile(url, path, payload).isEmpty();
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    return ok;
}

// The exchange's lines, and how many lines there were each time it let the window be closed.
class MemoryOnlineView : public OnlineUpdateView {
public:
    void AddLine(const QString &line) override { lines << line; }
    void EnableClose() override { closableAfter << lines.size(); }

    QStringList lines;
    QList<int> closableAfter;
};

} // namespace

class TestOnlineUpdate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void versionList_data();
    void versionList();
    void oversizedVersionListIsNotRead();
    void download_data();
    void download();
    void exchange_data();
    void exchange();
};

void TestOnlineUpdate::initTestCase()
{
    mod_URLDownload::SetStallTimeout(TestStallMs);
    mod_URLDownload::SetSizeLimit(Payload::VersionList, TestListLimit);
    mod_URLDownload::SetSizeLimit(Payload::SoftwareFile, TestSoftwareLimit);
}

void TestOnlineUpdate::versionList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("entry"); // VERSION|DATE|FILE
    QTest::newRow("other sections before Decodersw, quoted commas, line ends")
        << "Neu, Version, 9, Datei, \"x, y\", /Neu\nProjekt, Name, \"Tobrik, Test\", /Projekt\r\n"
           "Decodersw\r\nVersion, 7\r\nDatum, 24.12.2025\r\nDatei, \"DS_1.VUP\"\r\n/Decodersw\r\n"
        << "7|2025-12-24|DS_1.VUP";
    QTest::newRow("PLV sections read over, an item that is no key skipped alone")
        << "PLV_Update, Version, 8, /PLV_Update, PLV_Setup, Datei, S.EXE, /PLV_Setup, Decodersw, "
           "Extra, Datei, D.DAT, /Decodersw" << "0||D.DAT";
    // A UTF-8 byte-order mark (EF BB BF as the 8-bit reader decodes it), blank lines and a comma
    // at a line's end stand where a section name belongs.
    QTest::newRow("byte-order mark, blank lines, comma at a line's end")
        << QString::fromLatin1("\xEF\xBB\xBF" "PLV_Setup, Version, 1, /PLV_Setup,\r\n\r\n"
                               "Decodersw, Version, 5, Datei, E.DAT, /Decodersw,\n")
        << "5||E.DAT";
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

// A version list is a few hundred bytes; one beyond the size limit is refused unread, with a
// line in the log.
void TestOnlineUpdate::oversizedVersionListIsNotRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DSW_Version.txt"));
    QVERIFY(DswBuilder::WriteFile(path, QByteArray("Decodersw, Version, 5, /Decodersw\r\n")
                                            .leftJustified(SmallTextFile::MaxSize + 1, ' ')));
    QStringList log;
    Log::SetSink([&log](const QString &line) { log << line; });
    DecoderSwEntry entry;
    ReadVersionList(path, entry);
    Log::SetSink({});
    QCOMPARE(entry.Version, int16_t(0));
    QVERIFY2(log.size() == 1 && log.first().contains(path), qPrintable(log.join('\n')));
}

void TestOnlineUpdate::download_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("delivery");
    // "version list" (fetched as one), "redirect to https", "redirect to http" (this machine),
    // "disk full" (every write into a file fails), or on the request: "close-down" begins, or
    // the "loop ended" as the close-down ends it
    QTest::addColumn<QString>("twist");
    QTest::addColumn<bool>("ok"); // true: body stored, else the old file kept
    QTest::addColumn<QString>("logged"); // part of the failure's log line, where it matters
    const auto row = [](const char *name, const QByteArray &body, Delivery delivery,
                        const char *twist, bool ok, const QString &logged = {}) {
        QTest::newRow(name) << body << int(delivery) << QString(twist) << ok << logged;
    };
    const QByteArray atLimit = Software.leftJustified(TestSoftwareLimit, 'x');
    row("body at the limit", atLimit, Delivery::Whole, "", true);
    row("body beyond the limit", atLimit + "x", Delivery::Whole, "", false);
    row("version list beyond its own limit", QByteArray(2 * TestListLimit, 'v'), Delivery::Whole,
        "version list", false);
    row("stall", Software, Delivery::Stall, "", false);
    row("fewer bytes than announced", Software, Delivery::Short, "", false);
    row("chunk sizes that do not match the data", Software, Delivery::MisChunked, "", false,
        "chunked");
    row("redirect to https", Software, Delivery::Whole, "redirect to https", true);
    row("redirect to plain http on this machine", Software, Delivery::Whole, "redirect to http",
        false, "refused");
    row("close-down begins", Software, Delivery::Whole, "close-down", false);
    row("event loops ended", Software, Delivery::Stall, "loop ended", false);
    row("disk full", Software, Delivery::Whole, "disk full", false, FileSizeLimit::FailureText());
    // A software file must read as one, every image within it. Software's image covers bytes
    // 20 to 53.
    row("no decoder software file", QByteArray("<html>moved</html>"), Delivery::Whole, "", false,
        "no decoder software file");
    row("an image one byte beyond the end", Software.left(52), Delivery::Whole, "", false,
        "decoder 12 (bytes 20 to 53) does not lie within its 52 bytes");
}

// Whatever goes wrong, the file at the path is either the whole new body or the old file.
void TestOnlineUpdate::download()
{
    QFETCH(QByteArray, body);
    QFETCH(int, delivery);
    QFETCH(QString, twist);
    QFETCH(bool, ok);
    QFETCH(QString, logged);
    mod_URLDownload::SetExtraCaCertificates({HttpsTestServer::Authority()});
    HttpsTestServer https;
    QVERIFY(https.Listen());
    QTemporaryDir root;
    PrepareFolders(root, https.BaseUrl());
    const QString target = QStringLiteral("/files/D.DAT");
    https.Serve(target, body, Delivery(delivery));
    QString path = target;
    if (twist.startsWith(QLatin1String("redirect"))) {
        // A plain http target is refused before anything is asked of it.
        path = QStringLiteral("/moved/D.DAT");
        const bool plain = twist.endsWith(QLatin1String("http"));
        https.Redirect(path, (plain ? "http://127.0.0.1:1" : https.BaseUrl()) + target);
    }
    connect(&https, &HttpsTestServer::Requested, this, [twist] {
        if (twist == QLatin1String("close-down"))
            Module_DU::State().Exiting = true;
        else if (twist == QLatin1String("loop ended")) // once the head and the first bytes are in
            QTimer::singleShot(TestStallMs / 4, qApp, [] { QCoreApplication::exit(0); });
    });
    const QString local = Module_DU::State().SoftwareFolder + QStringLiteral("D.DAT");
    QVERIFY(DswBuilder::WriteFile(local, "old"));
    const Payload payload = twist == QLatin1String("version list") ? Payload::VersionList
                                                                   : Payload::SoftwareFile;
    QStringList log;
    Log::SetSink([&log](const QString &line) { log << line; });
    {
        std::optional<FileSizeLimit> diskFull;
        if (twist == QLatin1String("disk full"))
            diskFull.emplace(0);
        QCOMPARE(DownloadInEventLoop(https.BaseUrl() + path, local, payload), ok);
    }
    Log::SetSink({});
    QVERIFY2(log.join('\n').contains(logged), qPrintable(log.join('\n')));
    QCOMPARE(TestFolders::ReadFile(local), ok ? body : QByteArray("old"));
    QCOMPARE(QDir(Module_DU::State().SoftwareFolder).entryList(QDir::Files | QDir::Hidden),
             QStringList{"D.DAT"});
}

void TestOnlineUpdate::exchange_data()
{
    // trusted, untrusted, none configured, or a configured plain http address elsewhere
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("version");      // in the version list; -1: no version list
    QTest::addColumn<QString>("answer");   // for the file: serve, none (404), or present ("old"
                                           // lies in the software folder; served all the same)
    QTest::addColumn<QList<int>>("lines"); // text numbers; 0 is the date line, 62 a reason
    QTest::addColumn<QString>("reason");   // part of the reason after "Reason:"
    QTest::addColumn<int>("requests");     // how many of version list, file were requested
    const auto row = [](const char *name, const char *server, int version, const char *answer,
                        const QList<int> &lines, const char *reason, int requests) {
        QTest::newRow(name) << QString(server) << version << QString(answer) << lines
                            << QString(reason) << requests;
    };
    const char *t = "trusted";
    const QList<int> failed{0, 44, 42, 62}, listFailed{42, 62};
    row("present file", t, 7, "present", {0, 45}, "", 1);
    row("fresh download", t, 7, "serve", {0, 44, 46}, "", 2);
    row("failed download", t, 7, "none", failed, "HTTP status 404", 2);
    row("no version list", t, -1, "serve", listFailed, "HTTP status 404", 1);
    row("version 0", t, 0, "serve", {42}, "", 1);
    row("untrusted certificate", "untrusted", 7, "serve", listFailed, "", 0);
    row("plain http server elsewhere", "http://updates.example.org", 7, "serve", listFailed,
        "address refused,", 0);
    row("no server configured", "none", 7, "serve", {61}, "", 0);
}

void TestOnlineUpdate::exchange()
{
    QFETCH(QString, server);
    QFETCH(int, version);
    QFETCH(QString, answer);
    QFETCH(QList<int>, lines);
    QFETCH(QString, reason);
    QFETCH(int, requests);
    const QString file = QStringLiteral("DS_2.1.VUP");
    // The software folder's only file: the old one, or one downloaded now; else none.
    const QByteArray stored = answer == QLatin1String("present") ? QByteArray("old")
                              : lines.endsWith(46)               ? Software
                                                                 : QByteArray();
    mod_URLDownload::SetExtraCaCertificates({HttpsTestServer::Authority()});
    HttpsTestServer configured(server == QLatin1String("untrusted")
                                   ? HttpsTestServer::Security::Untrusted
                                   : HttpsTestServer::Security::Trusted);
    QVERIFY(configured.Listen());
    QTemporaryDir root;
    PrepareFolders(root, server == QLatin1String("none")     ? QString()
                         : server.startsWith(QLatin1String("http:")) ? server
                                                                    : configured.BaseUrl());
    auto &state = Module_DU::State();
    const QString filePath = QStringLiteral("/files/") + file;
    if (version >= 0)
        configured.Serve(ListPath, QStringLiteral("Decodersw, Version, %1, Datum, 24.12.2025, "
                                                  "Location, \"%2/files/\", Datei, %3, /Decodersw")
                                       .arg(version)
                                       .arg(configured.BaseUrl(), file)
                                       .toLatin1());
    if (answer != QLatin1String("none"))
        configured.Serve(filePath, Software);
    if (answer == QLatin1String("present"))
        QVERIFY(DswBuilder::WriteFile(state.SoftwareFolder + file, "old"));

    MemoryOnlineView seen;
    OnlineUpdate(seen).Run();
    // Each line begins with its text of the language table (0: the date line, text 43).
    QCOMPARE(seen.lines.size(), lines.size());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(seen.lines[i].startsWith(state.Texts[lines[i] ? lines[i] : 43]),
                 qPrintable(seen.lines[i]));
    QVERIFY2(seen.lines.join('\n').contains(reason), qPrintable(seen.lines.join('\n')));
    // Closable once, after the last line.
    QCOMPARE(seen.closableAfter, QList<int>{int(lines.size())});
    QCOMPARE(configured.requests, (QStringList{ListPath, filePath}.mid(0, requests)));
    QCOMPARE(QDir(state.SoftwareFolder).entryList(QDir::Files | QDir::Hidden),
             stored.isNull() ? QStringList() : QStringList{file});
    QCOMPARE(TestFolders::ReadFile(state.SoftwareFolder + file), stored);
    // A fresh file becomes the page's folder.
    QCOMPARE(state.LastFolder, stored == Software ? state.SoftwareFolder : QString());
}

QTEST_MAIN(TestOnlineUpdate)
#include "test_online_update.moc"

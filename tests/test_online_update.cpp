// The online update: the version list reader, the address policy, and the whole exchange
// against a local HTTPS server with its own certificate authority, without any widget and as
// its window shows it.
#include "TestFolders.h"

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
#include "support/FileSizeLimit.h"
#include "support/HttpsTestServer.h"
#include "support/SparseFile.h"

#include <QListWidget>
#include <QPushButton>
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
constexpr int TestDeadlineMs = 1500;

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
        QVERIFY(mod_ini::WriteIniString(QStringLiteral("Online"), QStringLiteral("SERVER"),
                                        server, state.SettingsFile));
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

// The exchange without any widget: its lines, and how many lines there were each time it let
// the window be closed.
class MemoryOnlineView : public OnlineUpdateView {
public:
    void AddLine(const QString &line) override { lines << line; }
    void EnableClose() override { closableAfter << lines.size(); }

    QStringList lines;
    QList<int> closableAfter;
};

// The same exchange as the window shows it. Escape while it runs is refused.
void RunInWindow(HttpsTestServer &server, MemoryOnlineView &seen)
{
    // The title comes from the language table, as every caption does.
    const QString title = QStringLiteral("Decoder-Software aktualisieren");
    Module_DU::State().Texts[int(TextId::OnlineUpdateTitle)] = title;
    frm_down_DU window;
    QCOMPARE(window.windowTitle(), title);
    auto *close = window.findChild<QPushButton *>(QStringLiteral("cmd_ende"));
    auto *list = window.findChild<QListWidget *>(QStringLiteral("List1"));
    QCOMPARE(close->text(), QStringLiteral("Close Window"));
    QObject::connect(&server, &HttpsTestServer::Requested, &window, &QDialog::reject);
    QObject::connect(&window, &frm_down_DU::ExchangeFinished, &window,
                     [&] { seen.closableAfter << list->count(); });
    QVERIFY(!close->isEnabled());
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(!seen.closableAfter.isEmpty(), 10000);
    for (int row = 0; row < list->count(); ++row)
        seen.lines << list->item(row)->text();
    QVERIFY(window.isVisible() && close->isEnabled());
    close->click();
    QVERIFY(!window.isVisible());
}

// The lines as the window shows them, with each reason after "Reason:" cut to its first words.
QStringList ShortenedReasons(const QStringList &lines, int words)
{
    const QString lead = Text(TextId::FailureReason) + QLatin1Char(' ');
    QStringList shortened;
    for (const QString &line : lines)
        shortened << (line.startsWith(lead) ? line.section(QLatin1Char(' '), 0, words) : line);
    return shortened;
}

// The text of a line given by its number in the language table; 0 is the date line of
// 24.12.2025, 61 (no server) is followed by the settings file, 62 by the reason's first words.
QStringList ExpectedLines(const QList<int> &numbers, const QString &reason)
{
    const auto &state = Module_DU::State();
    QStringList lines;
    for (const int number : numbers) {
        if (number == 0)
            lines << state.Texts[43] + QLocale().toString(QDate(2025, 12, 24), QLocale::LongFormat);
        else if (number == int(TextId::NoUpdateServer))
            lines << state.Texts[number] + QLatin1Char(' ') + state.SettingsFile;
        else if (number == int(TextId::FailureReason))
            lines << (state.Texts[number] + QLatin1Char(' ') + reason).trimmed();
        else
            lines << state.Texts[number];
    }
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
    void plainFileNames();
    void download_data();
    void download();
    void exchange_data();
    void exchange();
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
    QTest::newRow("other sections before Decodersw, quoted commas, line ends")
        << "Neu, Version, 9, Datei, \"x, y\", /Neu\nProjekt, Name, \"Tobrik, Test\", /Projekt\r\n"
           "Decodersw\r\nVersion, 7\r\nDatum, 24.12.2025\r\nDatei, \"DS_1.VUP\"\r\n/Decodersw\r\n"
        << "7|2025-12-24|DS_1.VUP";
    QTest::newRow("PLV sections read over, an item that is no key skipped alone")
        << "PLV_Update, Version, 8, /PLV_Update, PLV_Setup, Datei, S.EXE, /PLV_Setup, Decodersw, "
           "Extra, Datei, D.DAT, /Decodersw" << "0||D.DAT";
    QTest::newRow("values that do not convert are ignored, an unclosed section ends with the file")
        << "Decodersw, Version, 4, Version, x1, Datum, 1.2.2024, Datum, 31.02.2024, Datei, B.DAT"
        << "4|2024-02-01|B.DAT";
    // A UTF-8 byte-order mark (EF BB BF as the 8-bit reader decodes it), blank lines and a comma
    // at a line's end stand where a section name belongs; none of them opens a section that
    // never closes.
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

void TestOnlineUpdate::permittedAddresses_data()
{
    QTest::addColumn<QString>("configured"); // the settings file's server
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("permitted");         // as an address to fetch
    QTest::addColumn<bool>("permittedRedirect"); // as a redirect target
    const QString https = QStringLiteral("https://updates.example.org");
    const QString local = QStringLiteral("http://127.0.0.1:8080");
    QTest::newRow("https anywhere") << https << "https://cdn.example.net/f/D.DAT" << true << true;
    QTest::newRow("the configured local http server")
        << local << "http://127.0.0.1:8080/files/D.DAT" << true << false;
    QTest::newRow("another port on this machine") << local << "http://127.0.0.1:8081/D.DAT"
                                                  << false << false;
    QTest::newRow("default port on both sides") << "http://localhost" << "http://LOCALHOST:80/D.DAT"
                                                << true << false;
    QTest::newRow("configured plain http not on this machine")
        << "http://updates.example.org" << "http://updates.example.org/D.DAT" << false << false;
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

void TestOnlineUpdate::plainFileNames()
{
    for (const char *name : {"DECODERSW.DAT", "DS_2.1.VUP", "COM10.DAT", "CONSOLE.DAT"})
        QVERIFY2(UpdateServer::IsPlainFileName(name), name);
    for (const char *name : {"", ".", "..", "a/b", "a\\b", "a:b", "a?b.dat", "nul.dat", "Com1.vup",
                             "LPT9", "CON .dat"})
        QVERIFY2(!UpdateServer::IsPlainFileName(name), name);
}

void TestOnlineUpdate::download_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("delivery");
    // "version list" (fetched as one), "redirect to https", "redirect to http" (this machine),
    // "disk full" (every write into a file fails),
    // or on the request: "close-down" begins, or the "loop ended" as the close-down ends it
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
    row("empty body", QByteArray(), Delivery::Whole, "", false);
    row("stall", Software, Delivery::Stall, "", false);
    row("whole body, connection left open", Software, Delivery::Linger, "", true);
    row("trickle past the deadline", Software, Delivery::Trickle, "", false);
    row("fewer bytes than announced", Software, Delivery::Short, "", false);
    row("more bytes than announced", Software, Delivery::Long, "", false, "more than the");
    row("chunk sizes that do not match the data", Software, Delivery::MisChunked, "", false,
        "chunked");
    row("chunked with the length of the chunked bytes", Software, Delivery::ChunkedWithLength,
        "version list", false, "chunked");
    row("endless body", Software, Delivery::Endless, "", false, "no length announced");
    row("redirect to https", Software, Delivery::Whole, "redirect to https", true);
    row("redirect to plain http on this machine", Software, Delivery::Whole, "redirect to http",
        false);
    row("close-down begins", Software, Delivery::Whole, "close-down", false);
    row("event loops ended", Software, Delivery::Stall, "loop ended", false);
    row("disk full", Software, Delivery::Whole, "disk full", false, FileSizeLimit::FailureText());
    // A software file must read as one, every image within it (a version list need not: the
    // exchange's rows fetch lists). Software's image covers bytes 20 to 53.
    row("no decoder software file", QByteArray("<html>moved</html>"), Delivery::Whole, "", false,
        "no decoder software file");
    const QByteArray padding(64, 'x');
    row("a malformed index", "; 12      1    10NEW     1002x" + padding, Delivery::Whole, "",
        false, "index is malformed");
    row("an image ending at the last byte", Software.left(53), Delivery::Whole, "", true);
    row("an image one byte beyond the end", Software.left(52), Delivery::Whole, "", false,
        "decoder 12 (bytes 20 to 53) does not lie within its 52 bytes");
    row("an image starting before the file", "DF;0;12;0;10;NEW;2;0;1." + padding,
        Delivery::Whole, "", false, "does not lie within");
    row("an empty image", "DF;0;12;20;0;NEW;2;0;1." + padding, Delivery::Whole, "", false,
        "does not lie within");
    row("an image that wraps in 32 bits", "DF;0;12;2147483647;2;NEW;2;0;1." + padding,
        Delivery::Whole, "", false, "does not lie within");
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
    HttpsTestServer plain(HttpsTestServer::Security::PlainHttp);
    QVERIFY(https.Listen() && plain.Listen());
    QTemporaryDir root;
    PrepareFolders(root, https.BaseUrl());
    const QString target = QStringLiteral("/files/D.DAT");
    https.Serve(target, body, Delivery(delivery));
    plain.Serve(target, body, Delivery(delivery));
    QString path = target;
    if (twist.startsWith(QLatin1String("redirect"))) {
        path = QStringLiteral("/moved/D.DAT");
        const HttpsTestServer &to = twist.endsWith(QLatin1String("http")) ? plain : https;
        https.Redirect(path, to.BaseUrl() + target);
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
    // The failure's reason reaches the log.
    QVERIFY2(log.join('\n').contains(logged), qPrintable(log.join('\n')));
    QCOMPARE(TestFolders::ReadFile(local), ok ? body : QByteArray("old"));
    QCOMPARE(QDir(Module_DU::State().SoftwareFolder).entryList(QDir::Files | QDir::Hidden),
             QStringList{"D.DAT"});
    QVERIFY(plain.requests.isEmpty());
}

void TestOnlineUpdate::exchange_data()
{
    // trusted or untrusted, "CA added" (its authority trusted), "local http location" (the
    // list's location is another server on this machine over plain http, not the server's)
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("version");      // in the version list; -1: no version list
    QTest::addColumn<QString>("file");     // "Datei"
    QTest::addColumn<QString>("answer");   // for the file: serve, none (404), mis-chunked, or
                                           // present ("old" lies in the software folder; served
                                           // all the same)
    QTest::addColumn<QList<int>>("lines"); // text numbers; 0 is the date line, 62 a reason
    QTest::addColumn<QString>("reason");   // the first words of the reason after "Reason:"
    QTest::addColumn<int>("requests");     // how many of version list, file were requested
    QTest::addColumn<bool>("window");      // through the window rather than without widgets
    const auto row = [](const char *name, const char *server, int version, const char *file,
                        const char *answer, const QList<int> &lines, const char *reason,
                        int requests, bool window = false) {
        QTest::newRow(name) << QString(server) << version << QString(file) << QString(answer)
                            << lines << QString(reason) << requests << window;
    };
    const char *d = "DECODERSW.DAT", *t = "trusted";
    const QList<int> fresh{0, 44, 46}, failed{0, 44, 42, 62}, listFailed{42, 62}, refused{42};
    row("present file", t, 7, d, "present", {0, 45}, "", 1);
    row("fresh download, in the window", t, 7, "DS_2.1.VUP", "serve", fresh, "", 2, true);
    row("failed download", t, 7, d, "none", failed, "HTTP status 404", 2);
    row("broken download, in the window", t, 7, d, "mis-chunked", failed, "transfer-encoded", 2,
        true);
    row("no version list, in the window", t, -1, d, "serve", listFailed, "HTTP status 404", 1,
        true);
    row("version 0", t, 0, d, "serve", refused, "", 1);
    row("Datei reaching outside the software folder", t, 7, "../Inits.ini", "serve", refused, "",
        1);
    row("plain http location on this machine", "trusted, local http location", 7, d, "serve",
        failed, "address refused,", 1);
    row("untrusted certificate", "untrusted", 7, d, "serve", listFailed, "", 0);
    row("same server once its authority is trusted", "untrusted, CA added", 7, d, "serve", fresh,
        "", 2);
    row("no server configured, in the window", "none", 7, d, "serve", {61}, "", 0, true);
}

void TestOnlineUpdate::exchange()
{
    QFETCH(QString, server);
    QFETCH(int, version);
    QFETCH(QString, file);
    QFETCH(QString, answer);
    QFETCH(QList<int>, lines);
    QFETCH(QString, reason);
    QFETCH(int, requests);
    QFETCH(bool, window);
    // The software folder's only file: the old one, or one downloaded now; else none.
    const QByteArray stored = answer == QLatin1String("present") ? QByteArray("old")
                              : lines.endsWith(46)               ? Software
                                                                 : QByteArray();

    using Security = HttpsTestServer::Security;
    mod_URLDownload::SetExtraCaCertificates(
        {HttpsTestServer::Authority(!server.endsWith(QLatin1String("CA added")))});
    HttpsTestServer configured(server.startsWith(QLatin1String("trusted")) ? Security::Trusted
                                                                           : Security::Untrusted);
    HttpsTestServer otherLocal(Security::PlainHttp);
    QVERIFY(configured.Listen() && otherLocal.Listen());
    QTemporaryDir root;
    PrepareFolders(root, server == QLatin1String("none") ? QString() : configured.BaseUrl());
    auto &state = Module_DU::State();
    const QString filePath = QStringLiteral("/files/") + file;
    const bool localHttp = server.endsWith(QLatin1String("local http location"));
    if (version >= 0)
        configured.Serve(ListPath, VersionList(version, (localHttp ? otherLocal : configured)
                                                                .BaseUrl() + "/files/", file));
    if (answer != QLatin1String("none")) {
        const Delivery way =
            answer == QLatin1String("mis-chunked") ? Delivery::MisChunked : Delivery::Whole;
        configured.Serve(filePath, Software, way);
        otherLocal.Serve(filePath, Software, way);
    }
    if (answer == QLatin1String("present"))
        QVERIFY(DswBuilder::WriteFile(state.SoftwareFolder + file, "old"));

    MemoryOnlineView seen;
    if (window)
        RunInWindow(configured, seen);
    else
        OnlineUpdate(seen).Run();
    const int reasonWords = reason.isEmpty() ? 0 : int(reason.count(QLatin1Char(' '))) + 1;
    QCOMPARE(ShortenedReasons(seen.lines, reasonWords), ExpectedLines(lines, reason));
    // Closable once, after the last line.
    QCOMPARE(seen.closableAfter, QList<int>{int(lines.size())});

    QCOMPARE(configured.requests, (QStringList{ListPath, filePath}.mid(0, requests)));
    QVERIFY(otherLocal.requests.isEmpty());
    const QStringList files = QDir(state.SoftwareFolder).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, stored.isNull() ? QStringList() : QStringList{file});
    if (!stored.isNull())
        QCOMPARE(TestFolders::ReadFile(state.SoftwareFolder + file), stored);
    // A fresh file becomes the page's folder; nothing is written beside the two folders.
    QCOMPARE(state.LastFolder, stored == Software ? state.SoftwareFolder : QString());
    QStringList user = QDir(state.UserFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    user.removeOne(QStringLiteral("DSW_Version.txt"));
    user.removeOne(QStringLiteral("Inits.ini"));
    QCOMPARE(user, QStringList{"DECSOFT"});
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

// The online update: the version list reader, the address policy, and the window's whole
// exchange against a local HTTPS server with its own certificate authority.
#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "app/mod_ini.h"
#include "online/UpdateServer.h"
#include "online/VersionList.h"
#include "online/frm_down_DU.h"
#include "online/mod_URLDownload.h"
#include "support/DswBuilder.h"
#include "support/HttpsTestServer.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString ListPath = QStringLiteral("/update/DSW_Version.txt");
const QByteArray Software = "DF;0;12;20;34;NEW;2;0;1." + QByteArray(34, 'x');
} // namespace

class TestOnlineUpdate : public QObject {
    Q_OBJECT
private slots:
    void versionList_data();
    void versionList();
    void exchange_data();
    void exchange();
};

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

void TestOnlineUpdate::exchange_data()
{
    QTest::addColumn<QString>("server");   // trusted, untrusted, or untrusted but its CA added
    QTest::addColumn<int>("version");      // in the version list; -1: no version list
    QTest::addColumn<QString>("location"); // empty: the server's /files/
    QTest::addColumn<QString>("file");     // "Datei"; "old" is already there when it is present
    QTest::addColumn<QString>("answer");   // for the file: serve, stall or none (404)
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
    QTest::newRow("stalled download") << t << 7 << "" << d << "stall" << failed << 2 << QByteArray();
    QTest::newRow("no version list") << t << -1 << "" << d << "serve" << refused << 1 << QByteArray();
    QTest::newRow("version 0") << t << 0 << "" << d << "serve" << refused << 1 << QByteArray();
    for (const char *unsafe : {"../Inits.ini", "sub/DECODERSW.DAT", "..", "", "/tmp/x.dat"})
        QTest::newRow(qPrintable("unsafe Datei " + QString::fromLatin1(unsafe)))
            << t << 7 << "" << unsafe << "serve" << refused << 1 << QByteArray();
    QTest::newRow("plain http location") << t << 7 << "http://files.example/" << d << "serve"
                                         << failed << 1 << QByteArray();
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

    QTemporaryDir root;
    Module_DU::ResetState();
    auto &state = Module_DU::State();
    state.UserFolder = root.path() + QStringLiteral("/user/");
    state.SoftwareFolder = state.UserFolder + QStringLiteral("DECSOFT/");
    state.SettingsFile = state.UserFolder + QStringLiteral("Inits.ini");
    QVERIFY(QDir().mkpath(state.SoftwareFolder));
    LanguageTexts::ReadTexts(root.filePath(QStringLiteral("no-texts-file.txt")));
    mod_URLDownload::SetStallTimeout(400);
    mod_URLDownload::SetExtraCaCertificates(
        {HttpsTestServer::Authority(!server.endsWith(QLatin1String("CA added")))});
    HttpsTestServer https(server == QLatin1String("trusted"));
    QVERIFY(https.Listen());
    QVERIFY(mod_ini::WriteIniString(QStringLiteral("Online"), QStringLiteral("SERVER"),
                                    https.BaseUrl(), state.SettingsFile));
    const QString filePath = QStringLiteral("/files/") + file;
    if (version >= 0)
        https.Serve(ListPath, QStringLiteral("Decodersw\r\nVersion, %1\r\nDatum, 24.12.2025\r\n"
                                             "Location, \"%2\"\r\nDatei, \"%3\"\r\n/Decodersw\r\n")
                                  .arg(version)
                                  .arg(location.isEmpty() ? https.BaseUrl() + "/files/" : location,
                                       file)
                                  .toLatin1());
    if (answer != QLatin1String("none"))
        https.Serve(filePath, answer == QLatin1String("stall") ? Software.left(20) : Software,
                    answer == QLatin1String("stall"));
    if (answer == QLatin1String("present"))
        QVERIFY(DswBuilder::WriteFile(state.SoftwareFolder + file, "old"));
    QStringList expected;
    for (const int line : lines)
        expected << (line ? state.Texts[line]
                          : state.Texts[43] + QLocale().toString(QDate(2025, 12, 24),
                                                                 QLocale::LongFormat));

    // The window can be closed once the exchange is over, and not before.
    frm_down_DU window;
    auto *close = window.findChild<QPushButton *>(QStringLiteral("cmd_ende"));
    QVERIFY(close && !close->isEnabled());
    QSignalSpy finished(&window, &frm_down_DU::ExchangeFinished);
    QElapsedTimer clock;
    clock.start();
    window.show();
    QVERIFY(finished.wait(10000));
    QVERIFY(clock.elapsed() < 8000);
    QVERIFY(close->isEnabled());
    close->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(window.Lines(), expected);

    QCOMPARE(https.requests, (QStringList{ListPath, filePath}.mid(0, requests)));
    const QStringList files = QDir(state.SoftwareFolder).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, stored.isNull() ? QStringList() : QStringList{file});
    if (!stored.isNull()) {
        QFile kept(state.SoftwareFolder + file);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), stored);
    }
    // A fresh file becomes the page's folder; nothing is written beside the two folders.
    QCOMPARE(state.LastFolder, stored == Software ? state.SoftwareFolder : QString());
    QStringList user = QDir(state.UserFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    user.removeOne(QStringLiteral("DSW_Version.txt"));
    QCOMPARE(user, (QStringList{"DECSOFT", "Inits.ini"}));
}

QTEST_MAIN(TestOnlineUpdate)
#include "test_online_update.moc"

// Writes the seed corpus of every fuzz target into FOLDER/<target>/, made only by this program's
// own writers and from its own shipped texts file (reply heads, which no writer of ours makes, as
// a server sends them): valid inputs, and near-valid ones cut short or with one separator
// changed, so a fuzzer starts next to the places where reading decides.
#include "app/Module_DU.h"
#include "app/mod_config.h"
#include "app/mod_ini.h"
#include "software/DswGenerator.h"
#include "software/IndexEntry.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int UsageStatus = 64;

// Short images keep the seeds small: the readers look at the index only.
constexpr int SmallPayload = 64;
constexpr int LargePayload = 128;
// Cut points (bytes) inside the index, where a reader meets the end of the file mid-field or
// mid-entry.
const int IndexCuts[] = {1, 2, 5, 12, 29, 40, 58};

class SeedFolder {
public:
    SeedFolder(const QString &root, const QString &target) : dir_(root + QLatin1Char('/') + target)
    {
        dir_.removeRecursively();
        if (!QDir().mkpath(dir_.path()))
            Fail(dir_.path());
    }

    void Write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(dir_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            Fail(file.fileName());
    }

    QString Path(const QString &name) const { return dir_.filePath(name); }

    static void Fail(const QString &what)
    {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(what));
        std::exit(1);
    }

private:
    QDir dir_;
};

QByteArray ReadWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        SeedFolder::Fail(path);
    return file.readAll();
}

QByteArray Generated(DswGenerator::Layout layout, const QVector<DswGenerator::Entry> &entries)
{
    QString error;
    const auto bytes = DswGenerator::Build(layout, entries, DswGenerator::DefaultLeadByte, error);
    if (!bytes)
        SeedFolder::Fail(error);
    return *bytes;
}

// The same file with the first `separator` after the leading ";" changed to `to`.
QByteArray WithSeparatorChanged(QByteArray bytes, char separator, char to)
{
    const int at = bytes.indexOf(separator, 1);
    if (at >= 0)
        bytes[at] = to;
    return bytes;
}

void WriteSoftwareFiles(const SeedFolder &seeds)
{
    using DswGenerator::Layout;
    const QVector<DswGenerator::Entry> token{{12, "TB-M10", "2.14", 1, SmallPayload},
                                             {30, "TB-S30", "1.07", 2, LargePayload},
                                             {12, "TB-M10", "2.15", 1, SmallPayload}};
    const QVector<DswGenerator::Entry> kt{{40, "KT-40", "1.00", KtImageType, SmallPayload},
                                          {41, "TB-F41", "3.02", 1, SmallPayload}};
    const QVector<DswGenerator::Entry> fixed{{12, "TB-M10", "214", 1, SmallPayload},
                                             {30, "TB-S30", "107", 2, LargePayload},
                                             {201, "TB-A201", "100", 1, SmallPayload}};
    const QByteArray tokenFile = Generated(Layout::Token, token);
    const QByteArray fixedFile = Generated(Layout::Fixed, fixed);
    seeds.Write("token", tokenFile);
    seeds.Write("token-kt", Generated(Layout::Token, kt));
    seeds.Write("fixed", fixedFile);
    // "1;30;" is the first entry's TYPE and the second entry's ID.
    seeds.Write("token-extra-fields", QByteArray(tokenFile).replace("1;30;", "1\tX\t\t;30;"));
    seeds.Write("token-ends-after-first", QByteArray(tokenFile).replace("1;30;", "1:30;"));
    seeds.Write("fixed-ends-after-first", WithSeparatorChanged(fixedFile, ';', ':'));
    seeds.Write("fixed-bad-separator", WithSeparatorChanged(fixedFile, ';', 'x'));
    for (const int cut : IndexCuts) {
        seeds.Write(QStringLiteral("token-cut-%1").arg(cut), tokenFile.left(cut));
        seeds.Write(QStringLiteral("fixed-cut-%1").arg(cut), fixedFile.left(cut));
    }
}

void WriteTextsFiles(const SeedFolder &seeds)
{
    const QByteArray shipped = ReadWhole(QStringLiteral(TOBRIK_SHIPPED_TEXTS));
    const int stringsPart = shipped.indexOf("Anfang_Strings");
    seeds.Write("shipped", shipped);
    seeds.Write("head-only", shipped.left(stringsPart));
    // Cut inside the first quoted text of the strings part: a quote that never closes.
    seeds.Write("open-quote", shipped.left(shipped.indexOf('"', stringsPart) + 2));
    seeds.Write("one-text-per-line", QByteArray(shipped).replace(", ", "\n"));
}

void WriteVersionLists(const SeedFolder &seeds)
{
    const QByteArray decoderSw = "Decodersw\r\nVersion, 7\r\nDatum, 24.12.2025\r\n"
                                 "Location, \"https://example.invalid/dsw/\"\r\n"
                                 "Datei, \"DS_0107.vup\"\r\n/Decodersw\r\n";
    seeds.Write("decodersw", decoderSw);
    seeds.Write("all-sections",
                "Projekt, Name, \"Tobrik, PLV\", ID, 3, Location, x, Datei, y, Version, 2, "
                "Zielordner, z, /Projekt\r\nPLV_Update, Version, 8, MinVersion, 1, Location, a, "
                "Datei, b, /PLV_Update\r\nPLV_Setup, Version, 9, Location, c, Datei, S.EXE, "
                "/PLV_Setup\r\nOther, 1, 2, /Other\r\n" + decoderSw);
    seeds.Write("unclosed", decoderSw.left(decoderSw.indexOf("/Decodersw")));
    seeds.Write("version-zero", QByteArray(decoderSw).replace("Version, 7", "Version, 0"));
    seeds.Write("iso-date", QByteArray(decoderSw).replace("24.12.2025", "2025-12-24"));
}

// Settings files as the close-down writes them, plus a pinned port as a user writes one.
void WriteSettingsFiles(const SeedFolder &seeds)
{
    auto &state = Module_DU::State();
    state.SettingsFile = seeds.Path("closed-down");
    state.LanguageIndex = 1;
    state.LanguageValid = true;
    state.LastFolder = QStringLiteral("/home/u1/.local/share/VARNO/PLV/DECSOFT/");
    state.LastFile = state.LastFolder + QStringLiteral("DECODERSW.DAT");
    mod_config::SaveConfig();
    const QByteArray closedDown = ReadWhole(state.SettingsFile);

    state.SettingsFile = seeds.Path("with-ports");
    seeds.Write("with-ports", closedDown);
    mod_ini::WriteIniString("Ports", "COM3", "sim:box?decoder=12", state.SettingsFile);
    seeds.Write("crlf", QByteArray(closedDown).replace("\n", "\r\n"));
    seeds.Write("quoted-lower-case", QByteArray(closedDown).replace("LANGUAGE=en", "language = \"fr\""));
}

void WritePortAddresses(const SeedFolder &seeds)
{
    const char *const addresses[] = {
        "sim:box",
        "sim:box?status=40%2041&decoder=12&block=64&seed=7",
        "sim:adapter?reply=OK%0D&decoder=3&lost-reply=0.1&bad-block=0.2&line-rate=1",
        "sim:adapter?decoder=255&slow-reply=1&garbage=0.5&lost-block=0&unplug-at=4",
        "sim:noise?pattern=xyz&description=Noise%20maker",
        "sim:none",
        "sim:busy?description=In%20use",
        "sim:box?decoder=12&flash=demo-flash.bin",
        "3=sim:box?decoder=12;7=sim:adapter;9=/dev/ttyUSB0",
        "7=sim:adapter?replay=OK",
    };
    int number = 0;
    for (const char *address : addresses)
        seeds.Write(QStringLiteral("address-%1").arg(++number), address);
}

// Reply heads as the exchange hands them to the parser: up to, not including, the blank line.
void WriteHttpHeads(const SeedFolder &seeds)
{
    seeds.Write("length", "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                          "Content-Length: 88\r\nConnection: close");
    seeds.Write("redirect", "HTTP/1.1 302 Found\r\nLocation: https://cdn.example.invalid/dsw/"
                            "DS_0107.vup\r\nContent-Length: 0");
    seeds.Write("chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked");
    seeds.Write("duplicate-length", "HTTP/1.0 200 OK\r\nContent-Length: 88\r\ncontent-length: 89");
    // Once taken as status 20, which the exchange sorts into no class.
    seeds.Write("two-digit-status", "HTTP/1.1 20 OK\r\nContent-Length: 0");
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return UsageStatus;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    WriteSoftwareFiles(SeedFolder(root, "fuzz_software_file"));
    WriteTextsFiles(SeedFolder(root, "fuzz_texts_file"));
    WriteVersionLists(SeedFolder(root, "fuzz_version_list"));
    WriteSettingsFiles(SeedFolder(root, "fuzz_settings_file"));
    WritePortAddresses(SeedFolder(root, "fuzz_port_address"));
    WriteHttpHeads(SeedFolder(root, "fuzz_http_head"));
    return 0;
}

// How the index reading of a large decoder software file compares with merely reading its
// index bytes: 10,000 entries, 20 MiB of images. Listing and lookup must not touch the images.
#include "software/DecoderLookup.h"
#include "software/DswGenerator.h"
#include "software/SoftwareIndexListing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
constexpr int EntryCount = 10000;
constexpr int PayloadLength = 2096; // 10,000 images of 2,098 bytes: just over 20 MiB
constexpr int LastId = 255;         // IDs 0..254 repeat; only the last entry has 255
constexpr int Rounds = 7;

QVector<DswGenerator::Entry> Entries()
{
    QVector<DswGenerator::Entry> entries;
    for (int i = 0; i < EntryCount; ++i) {
        const int id = i + 1 == EntryCount ? LastId : i % LastId;
        entries.append({id, QStringLiteral("TB%1").arg(i), QStringLiteral("1.%1").arg(i % 100),
                        1 + i % 2, PayloadLength});
    }
    return entries;
}

// The best of several rounds, in milliseconds; each round opens the file afresh.
double BestMilliseconds(const QString &path, const std::function<void(QFile &)> &work)
{
    double best = 1e300;
    for (int round = 0; round < Rounds; ++round) {
        QFile file(path);
        QElapsedTimer clock;
        clock.start();
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot open %s", qPrintable(path));
        work(file);
        best = std::min(best, clock.nsecsElapsed() / 1e6);
    }
    return best;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString error;
    const auto bytes = DswGenerator::Build(DswGenerator::Layout::Token, Entries(),
                                           DswGenerator::DefaultLeadByte, error);
    if (!bytes)
        qFatal("%s", qPrintable(error));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DECODERSW.DAT"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(*bytes) != bytes->size())
        qFatal("cannot write %s", qPrintable(path));
    out.close();

    QFile probe(path);
    probe.open(QIODevice::ReadOnly);
    const qint64 indexLength = LookupDecoder(probe, 0).Entry.Start - 1;

    const double plain = BestMilliseconds(path, [indexLength](QFile &file) {
        char c = 0;
        for (qint64 i = 0; i < indexLength && file.getChar(&c); ++i) {
        }
    });
    int listed = 0;
    const double listing = BestMilliseconds(path, [&listed](QFile &file) {
        listed = ListSoftwareIndex(file).Entries.size();
    });
    LookupOutcome outcome = LookupOutcome::Malformed;
    const double lookup = BestMilliseconds(path, [&outcome](QFile &file) {
        outcome = LookupDecoder(file, LastId).Outcome;
    });
    if (listed != EntryCount || outcome != LookupOutcome::Found)
        qFatal("the index was not read whole");

    std::printf("file: %d entries, %lld bytes, index %lld bytes\n", EntryCount,
                static_cast<long long>(bytes->size()), static_cast<long long>(indexLength));
    std::printf("reading the index bytes alone: %8.2f ms (1.00)\n", plain);
    std::printf("LoadSoftwareFile index reading: %8.2f ms (%.2f)\n", listing, listing / plain);
    std::printf("lookup of the last ID:          %8.2f ms (%.2f)\n", lookup, lookup / plain);
    return 0;
}

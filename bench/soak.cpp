// A fault soak of the update: N seeded updates against the simulated update box, whose decoder
// loses replies, gets corrupted, lost and slow blocks, answers with garbage, and vanishes at a
// block; in a share of the runs it also refuses one block every time or replies too late
// throughout, or the software file is cut short mid-transfer. Each seed alone decides its run
// (SoakPlan), so `soak --seed S --runs 1` replays one. The table counts the runs by their
// result (SoakJudge): finished with the flash equal to the image, finished unconfirmed, failed,
// and wrong (must be none); the exit status is 1 when any run went wrong.
//
// Most of a run is the procedure's own waiting (its pauses, and a real timeout for every lost
// or slow reply), so the runs go to worker processes side by side; a worker that gives no
// verdict within the deadline is killed and its seed reported as a hang.
#include "support/SoakPlan.h"
#include "support/SoakPool.h"
#include "support/SoakRun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

namespace {
constexpr int DefaultRuns = 1000;
constexpr quint32 DefaultFirstSeed = 1;
// Runs side by side; each spends most of its time asleep in the procedure's waits.
constexpr int DefaultJobs = 8;
// A clean run takes about a second, the worst one a few; this is a hang.
constexpr std::chrono::seconds RunDeadline{30};
constexpr int UsageError = 64;

const QString WorkerOption = QStringLiteral("worker");

struct Options {
    int runs = DefaultRuns;
    quint32 firstSeed = DefaultFirstSeed;
    int jobs = DefaultJobs;
    bool verbose = false;
    bool worker = false;
};

void Print(const QString &text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// The worker: one seed a line on standard input, its lines and verdict on standard output.
int RunWorker(bool verbose)
{
    SoakRunner runner;
    for (std::string line; std::getline(std::cin, line);) {
        bool converted = false;
        const quint32 seed = QString::fromStdString(line).toUInt(&converted);
        if (!converted)
            return UsageError;
        const SoakPlan plan = SoakPlan::FromSeed(seed);
        const SoakVerdict verdict = runner.Run(plan);
        if (verbose) {
            Print(QStringLiteral("seed %1: ").arg(seed) + plan.Describe());
            for (const QString &info : runner.InfoLines())
                Print(QStringLiteral("    ") + info);
        }
        Print(verdict.ToLine());
    }
    return 0;
}

// Nothing when the options are wrong; the reason is on standard error.
std::optional<Options> ReadOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Seeded updates against a simulated decoder that plays faults."));
    parser.addHelpOption();
    const QCommandLineOption runs(QStringLiteral("runs"),
                                  QStringLiteral("Number of runs (default %1).").arg(DefaultRuns),
                                  QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the first run (default %1).")
                                      .arg(DefaultFirstSeed),
                                  QStringLiteral("S"));
    const QCommandLineOption jobs(QStringLiteral("jobs"),
                                  QStringLiteral("Runs side by side (default %1).").arg(DefaultJobs),
                                  QStringLiteral("J"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Each run's faults, list and verdict."));
    QCommandLineOption worker(WorkerOption);
    worker.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({runs, seed, jobs, verbose, worker});
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "soak: %s\n", qPrintable(parser.errorText()));
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp();

    Options options;
    bool runsOk = true, seedOk = true, jobsOk = true;
    if (parser.isSet(runs))
        options.runs = parser.value(runs).toInt(&runsOk);
    if (parser.isSet(seed))
        options.firstSeed = parser.value(seed).toUInt(&seedOk);
    if (parser.isSet(jobs))
        options.jobs = parser.value(jobs).toInt(&jobsOk);
    if (!runsOk || !seedOk || !jobsOk || options.runs < 1 || options.jobs < 1) {
        std::fprintf(stderr, "soak: --runs and --jobs take a number from 1, --seed one from 0\n");
        return std::nullopt;
    }
    options.jobs = std::min(options.jobs, options.runs); // no idle workers
    options.verbose = parser.isSet(verbose);
    options.worker = parser.isSet(worker);
    return options;
}

struct Tally {
    std::array<int, SoakResultCount> counts{};
    QList<quint32> wrongSeeds;

    void Add(const SoakVerdict &verdict)
    {
        ++counts.at(static_cast<size_t>(verdict.result));
        if (verdict.result == SoakResult::Wrong)
            wrongSeeds.append(verdict.seed);
    }
    int Count(SoakResult result) const { return counts.at(static_cast<size_t>(result)); }
};

void PrintTable(const Options &options, const Tally &tally, double seconds)
{
    constexpr int WhatWidth = 52;
    constexpr int CountWidth = 5;
    constexpr int CellPadding = 2; // a blank either side
    const auto row = [](const char *what, int count) {
        std::printf("| %-*s | %*d |\n", WhatWidth, what, CountWidth, count);
    };
    std::printf("\n| %-*s | %*s |\n|%s|%s|\n", WhatWidth, "result", CountWidth, "runs",
                std::string(WhatWidth + CellPadding, '-').c_str(),
                std::string(CountWidth + CellPadding, '-').c_str());
    row("finished, flash equals the image", tally.Count(SoakResult::FlashEqual));
    row("finished unconfirmed, flash holds the confirmed part",
        tally.Count(SoakResult::Unconfirmed));
    row("failed", tally.Count(SoakResult::Failed));
    row("wrong", tally.Count(SoakResult::Wrong));
    row("total", options.runs);
    QStringList seeds;
    for (const quint32 seed : tally.wrongSeeds)
        seeds.append(QString::number(seed));
    std::printf("\nseeds of wrong runs: %s\n",
                seeds.isEmpty() ? "none" : qPrintable(seeds.join(QLatin1Char(' '))));
    std::printf("%d runs in %.1f s: %.2f runs/s with %d side by side\n", options.runs, seconds,
                options.runs / seconds, options.jobs);
}

int RunSoak(const Options &options)
{
    std::printf("soak: %d seeded updates from seed %u, %d side by side, deadline %lld s a run.\n"
                "Each run waits the procedure's real pauses (about 0.7 s) and a real timeout "
                "for every lost or slow reply.\n",
                options.runs, options.firstSeed, options.jobs,
                static_cast<long long>(RunDeadline.count()));
    std::fflush(stdout);
    QList<quint32> seeds;
    for (int run = 0; run < options.runs; ++run)
        seeds.append(options.firstSeed + static_cast<quint32>(run));
    QStringList workerArguments{QStringLiteral("--") + WorkerOption};
    if (options.verbose)
        workerArguments.append(QStringLiteral("--verbose"));
    SoakPool pool(QCoreApplication::applicationFilePath(), workerArguments,
                  options.jobs, RunDeadline);

    Tally tally;
    QElapsedTimer clock;
    clock.start();
    pool.Run(seeds, [&](const SoakVerdict &verdict, const QStringList &lines) {
        tally.Add(verdict);
        if (options.verbose) {
            for (const QString &line : lines)
                Print(line);
            Print(QStringLiteral("  -> ") + verdict.ToLine());
        } else if (verdict.result == SoakResult::Wrong) {
            Print(QStringLiteral("WRONG seed %1: %2").arg(verdict.seed).arg(verdict.detail));
        }
    });
    constexpr double MsPerSecond = 1000;
    PrintTable(options, tally, clock.elapsed() / MsPerSecond);
    return tally.wrongSeeds.isEmpty() ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<Options> options = ReadOptions(app);
    if (!options)
        return UsageError;
    return options->worker ? RunWorker(options->verbose) : RunSoak(*options);
}

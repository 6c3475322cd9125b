#include "SoakPool.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <optional>
#include <utility>

namespace {
// How long a worker that was told to stop may take to end before it is killed.
constexpr int StopMs = 5000;
} // namespace

struct SoakPool::Worker {
    QProcess *process = nullptr; // deleted later: it may be the sender of the running signal
    QTimer deadline;
    std::optional<quint32> seed; // the run it is on
    QStringList lines;           // what it wrote about that run so far
};

SoakPool::SoakPool(QString program, QStringList arguments, int workers,
                   std::chrono::milliseconds deadline)
    : program_(std::move(program)), arguments_(std::move(arguments)), deadline_(deadline)
{
    for (int i = 0; i < workers; ++i) {
        workers_.push_back(std::make_unique<Worker>());
        Worker &worker = *workers_.back();
        worker.deadline.setSingleShot(true);
        QObject::connect(&worker.deadline, &QTimer::timeout, [this, &worker] {
            GiveUp(worker, QStringLiteral("hang: no verdict within %1 s")
                               .arg(std::chrono::duration_cast<std::chrono::seconds>(deadline_)
                                        .count()));
        });
    }
}

SoakPool::~SoakPool()
{
    for (auto &worker : workers_)
        Stop(*worker, Ending::Now);
}

void SoakPool::Run(const QList<quint32> &seeds, OnVerdict onVerdict)
{
    waiting_.assign(seeds.begin(), seeds.end());
    outstanding_ = static_cast<int>(seeds.size());
    onVerdict_ = std::move(onVerdict);
    if (outstanding_ == 0)
        return;
    QEventLoop loop;
    loop_ = &loop;
    for (auto &worker : workers_)
        Start(*worker);
    loop.exec();
    loop_ = nullptr;
    for (auto &worker : workers_)
        Stop(*worker, Ending::AtEndOfInput);
}

void SoakPool::Start(Worker &worker)
{
    worker.process = new QProcess;
    QProcess &process = *worker.process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(&process, &QProcess::readyReadStandardOutput, [this, &worker] {
        ReadLines(worker);
    });
    QObject::connect(&process, &QProcess::finished,
                     [this, &worker](int code, QProcess::ExitStatus status) {
                         if (!worker.seed)
                             return;
                         GiveUp(worker, status == QProcess::CrashExit
                                            ? QStringLiteral("crash: the worker crashed")
                                            : QStringLiteral("crash: the worker ended with "
                                                             "status %1")
                                                  .arg(code));
                     });
    process.start(program_, arguments_);
    Assign(worker);
}

void SoakPool::Assign(Worker &worker)
{
    worker.seed.reset();
    worker.lines.clear();
    if (waiting_.empty()) {
        worker.process->closeWriteChannel(); // the worker ends at the end of its input
        return;
    }
    worker.seed = waiting_.front();
    waiting_.pop_front();
    worker.process->write(QByteArray::number(*worker.seed) + '\n');
    worker.deadline.start(deadline_);
}

void SoakPool::ReadLines(Worker &worker)
{
    while (worker.process && worker.process->canReadLine()) {
        const QString line = QString::fromUtf8(worker.process->readLine()).chopped(1);
        const auto verdict = SoakVerdict::FromLine(line);
        if (verdict && worker.seed && verdict->seed == *worker.seed)
            Conclude(worker, *verdict);
        else
            worker.lines.append(line);
    }
}

void SoakPool::Conclude(Worker &worker, const SoakVerdict &verdict)
{
    worker.deadline.stop();
    onVerdict_(verdict, worker.lines);
    if (--outstanding_ == 0)
        loop_->quit();
    Assign(worker);
}

// The worker's run counts wrong; a fresh worker goes on with the next seed.
void SoakPool::GiveUp(Worker &worker, const QString &why)
{
    const SoakVerdict verdict{*worker.seed, SoakResult::Wrong, why};
    worker.seed.reset();
    worker.deadline.stop();
    Stop(worker, Ending::Now);
    onVerdict_(verdict, worker.lines);
    if (--outstanding_ == 0) {
        loop_->quit();
        return;
    }
    Start(worker);
}

void SoakPool::Stop(Worker &worker, Ending ending)
{
    QProcess *process = std::exchange(worker.process, nullptr);
    if (!process)
        return;
    QObject::disconnect(process, nullptr, nullptr, nullptr);
    if (process->state() != QProcess::NotRunning) {
        process->closeWriteChannel();
        if (ending == Ending::Now || !process->waitForFinished(StopMs)) {
            process->kill();
            process->waitForFinished(StopMs);
        }
    }
    process->deleteLater();
}

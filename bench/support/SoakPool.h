#pragma once
// Runs soak seeds in worker processes side by side. Most of a run is the procedure's own
// waiting, so several workers share a CPU well. A worker takes one seed a line on its standard
// input and answers with lines ending in its verdict line (SoakVerdict). A worker that gives
// no verdict within the deadline is killed, and so is its run counted wrong as a hang; one
// that dies mid-run counts as a crash. Either way a fresh worker takes the next seed.

#include "SoakVerdict.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QEventLoop;
class QProcess;
class QTimer;

class SoakPool {
public:
    // Called with each verdict as it arrives, and the lines the worker wrote before it.
    using OnVerdict = std::function<void(const SoakVerdict &verdict, const QStringList &lines)>;

    SoakPool(QString program, QStringList arguments, int workers,
             std::chrono::milliseconds deadline);
    ~SoakPool();

    // Runs every seed and returns when each has its verdict.
    void Run(const QList<quint32> &seeds, OnVerdict onVerdict);

private:
    struct Worker;

    void Start(Worker &worker);
    void Assign(Worker &worker);
    void ReadLines(Worker &worker);
    void Conclude(Worker &worker, const SoakVerdict &verdict);
    void GiveUp(Worker &worker, const QString &why);
    // Now: killed at once. At the end of its input: given time to end by itself.
    enum class Ending { Now, AtEndOfInput };
    void Stop(Worker &worker, Ending ending);

    QString program_;
    QStringList arguments_;
    std::chrono::milliseconds deadline_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::deque<quint32> waiting_;
    int outstanding_ = 0;
    OnVerdict onVerdict_;
    QEventLoop *loop_ = nullptr;
};

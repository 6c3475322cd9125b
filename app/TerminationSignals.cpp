#include "app/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace TerminationSignals {

#ifdef Q_OS_UNIX
namespace {
int pipeEnds[2] = {-1, -1};

std::function<void()> &Handler()
{
    static std::function<void()> handler;
    return handler;
}

// Only async-signal-safe work here: one byte into the pipe, read back on the window thread.
void Notify(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(pipeEnds[0], &byte, 1);
}
} // namespace

void Install(std::function<void()> onSignal)
{
    Handler() = std::move(onSignal);
    // Taking a handler away installs nothing where none was installed.
    if (!Handler() || pipeEnds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeEnds) != 0)
        return;
    auto *notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read,
                                         QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(pipeEnds[1], &byte, 1);
        if (Handler())
            Handler()();
    });
    struct sigaction action = {};
    action.sa_handler = Notify;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}
#else
void Install(std::function<void()>) {}
#endif

} // namespace TerminationSignals

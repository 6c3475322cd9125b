#include "sim/PtyLink.h"

#include "sim/SimDevice.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif
#include <termios.h>
#include <unistd.h>
#endif

namespace {
// While nobody holds the terminal open its controlling side reports a hang-up without end, so
// it is looked at on these ticks instead of watched: an idle simulator does not spin.
constexpr int OpeningWatchIntervalMs = 20;
constexpr int ReadChunkBytes = 4096;
constexpr unsigned long ShortestTimerSlackNs = 1;
} // namespace

PtyLink::PtyLink(std::shared_ptr<SimDevice> model, QObject *parent)
    : QObject(parent), model_(std::move(model))
{
    model_->SetControlLinesWired(false);
    connect(model_.get(), &SimDevice::Sent, this, &PtyLink::Send);
    // Not in the middle of the device's own handling of the bytes that unplugged it.
    connect(model_.get(), &SimDevice::Unplugged, this, &PtyLink::Vanish, Qt::QueuedConnection);
    openingWatch_.setInterval(OpeningWatchIntervalMs);
    connect(&openingWatch_, &QTimer::timeout, this, &PtyLink::WatchForOpening);
}

PtyLink::~PtyLink()
{
    Vanish();
}

QString PtyLink::Path() const
{
    return path_;
}

#ifdef Q_OS_UNIX
bool PtyLink::Open(QString *error)
{
    controller_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios raw{};
    const bool made = controller_ >= 0 && grantpt(controller_) == 0 && unlockpt(controller_) == 0
                      && tcgetattr(controller_, &raw) == 0;
    if (!made) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        Vanish();
        return false;
    }
    // No echo and no line editing: every byte passes as it is, in both directions.
    cfmakeraw(&raw);
    tcsetattr(controller_, TCSANOW, &raw);
#ifdef Q_OS_LINUX
    // Replies are timed by sleeping to the exact moment; the system's default slack of 50 us
    // would make each of them that much later.
    prctl(PR_SET_TIMERSLACK, ShortestTimerSlackNs);
#endif
    path_ = QString::fromLocal8Bit(ptsname(controller_));
    notifier_ = std::make_unique<QSocketNotifier>(controller_, QSocketNotifier::Read);
    notifier_->setEnabled(false);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PtyLink::ReadAvailable);
    openingWatch_.start();
    return true;
}

// A hang-up alone means nobody holds the terminal; bytes waiting mean somebody did, even if
// they have closed it again since.
void PtyLink::WatchForOpening()
{
    pollfd state{controller_, POLLIN, 0};
    if (poll(&state, 1, 0) < 0 || ((state.revents & POLLHUP) && !(state.revents & POLLIN)))
        return;
    LinkOpened();
    ReadAvailable();
}

// Reading the controlling side fails with EIO once the program has closed the terminal.
void PtyLink::ReadAvailable()
{
    char buffer[ReadChunkBytes];
    while (linkOpen_) {
        const ssize_t count = read(controller_, buffer, sizeof buffer);
        if (count > 0)
            model_->Receive(QByteArray(buffer, count));
        else if (count < 0 && errno == EINTR)
            continue;
        else if (count < 0 && errno == EAGAIN)
            return;
        else
            LinkClosed();
    }
}

void PtyLink::Send(const QByteArray &bytes)
{
    if (!linkOpen_)
        return;
    // A reply the program has no room for is lost, as on a real line.
    [[maybe_unused]] const auto written = write(controller_, bytes.constData(), bytes.size());
}

void PtyLink::Vanish()
{
    openingWatch_.stop();
    notifier_.reset();
    if (linkOpen_) {
        linkOpen_ = false;
        model_->Disconnect();
    }
    if (controller_ >= 0)
        close(controller_);
    controller_ = -1;
}
#else
bool PtyLink::Open(QString *error)
{
    *error = QStringLiteral("pseudo-terminals are not available on this system");
    return false;
}

void PtyLink::WatchForOpening() {}
void PtyLink::ReadAvailable() {}
void PtyLink::Send(const QByteArray &) {}
void PtyLink::Vanish() {}
#endif

void PtyLink::LinkOpened()
{
    linkOpen_ = true;
    openingWatch_.stop();
    notifier_->setEnabled(true);
    model_->Connect();
}

void PtyLink::LinkClosed()
{
    linkOpen_ = false;
    notifier_->setEnabled(false);
    model_->Disconnect();
    openingWatch_.start();
}

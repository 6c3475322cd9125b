#include "cli/StandardInputLine.h"

#include <QEventLoop>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr size_t ChunkBytes = 256;
} // namespace

std::optional<QString> StandardInputLine::Read()
{
    // A closed standard input is an input that has ended.
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0)
        return QString();
    QByteArray typed;
    bool cancelled = true; // until the input has given a line or has ended
    QEventLoop loop;
    QSocketNotifier readable(STDIN_FILENO, QSocketNotifier::Read);
    // The notifier says a read will not block: it returns what the terminal, pipe or file has,
    // or 0 at the end of the input.
    QObject::connect(&readable, &QSocketNotifier::activated, &loop, [&] {
        char chunk[ChunkBytes];
        const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (count > 0)
            typed.append(chunk, count);
        if (count <= 0 || typed.contains('\n')) {
            cancelled = false;
            loop.quit();
        }
    });
    waiting_ = &loop;
    loop.exec();
    waiting_ = nullptr;
    if (cancelled)
        return std::nullopt;
    const qsizetype lineEnd = typed.indexOf('\n');
    return QString::fromUtf8(lineEnd < 0 ? typed : typed.first(lineEnd));
}
#else
#include <QTextStream>
#include <cstdio>

std::optional<QString> StandardInputLine::Read()
{
    QTextStream input(stdin);
    QString line;
    input.readLineInto(&line);
    return line;
}
#endif

bool StandardInputLine::Cancel()
{
    if (!waiting_)
        return false;
    waiting_->quit();
    return true;
}

#include "FileSizeLimit.h"

#include <cerrno>
#include <csignal>
#include <cstring>

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    // Without this the write would end the process instead of failing.
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &previous_);
}

QString FileSizeLimit::FailureText()
{
    return QString::fromLocal8Bit(std::strerror(EFBIG));
}

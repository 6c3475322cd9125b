#include "software/IndexInput.h"

#include <algorithm>

IndexInput::IndexInput(QIODevice &file) : file_(file) {}

// The chunk's buffer is kept from one chunk to the next.
bool IndexInput::Refill()
{
    if (next_ < chunk_.size())
        return true;
    if (ended_)
        return false;
    chunk_.resize(ChunkLength);
    const qint64 length = file_.read(chunk_.data(), ChunkLength);
    chunk_.resize(std::max<qint64>(length, 0));
    next_ = 0;
    // A short chunk is no end on a pipe; only an empty one (or a failed read) is.
    ended_ = chunk_.isEmpty();
    return !ended_;
}

QByteArray IndexInput::Read(int width)
{
    QByteArray bytes;
    while (bytes.size() < width && Refill()) {
        const qsizetype take = qMin<qsizetype>(width - bytes.size(), chunk_.size() - next_);
        bytes.append(chunk_.constData() + next_, take);
        next_ += take;
    }
    consumed_ += bytes.size();
    return bytes;
}

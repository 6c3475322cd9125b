#include "software/IndexInput.h"

IndexInput::IndexInput(QIODevice &file) : file_(file) {}

bool IndexInput::Refill()
{
    if (next_ < chunk_.size())
        return true;
    if (ended_)
        return false;
    chunk_ = file_.read(ChunkLength);
    next_ = 0;
    // A short chunk is no end on a pipe; only an empty one is.
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

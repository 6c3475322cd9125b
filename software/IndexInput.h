#pragma once
// The bytes of a decoder software file's index, taken from the file a chunk at a time. Asking the
// device for every single character costs several times the reading itself.

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

class IndexInput {
public:
    // Index reading never needs more than this ahead of what it has consumed. Small enough that
    // a file ending inside its index is known at once, with no wait for data that never come.
    static constexpr qint64 ChunkLength = 16 * 1024; // bytes

    // Reads from the current position of file, which is open for reading.
    explicit IndexInput(QIODevice &file);

    // The bytes read ahead and not handed out yet, refilled when none are left; empty at the end
    // of the file. Valid until the next call.
    QByteArrayView Ahead()
    {
        Refill();
        return QByteArrayView(chunk_).sliced(next_);
    }

    // Hands out the first count bytes of Ahead.
    void Skip(qsizetype count)
    {
        next_ += count;
        consumed_ += count;
    }

    // The next width bytes, or fewer when the file ends first.
    QByteArray Read(int width);

    // Bytes handed out so far; counted here because a pipe has no position.
    qint64 Consumed() const { return consumed_; }

private:
    // True when at least one byte is buffered after refilling.
    bool Refill();

    QIODevice &file_;
    QByteArray chunk_;
    qsizetype next_ = 0;
    qint64 consumed_ = 0;
    bool ended_ = false;
};

#include "support/ScriptedDecoder.h"

#include <QTimer>

namespace {
// The preamble's burst pair, as the decoder knows it.
constexpr uint8_t BurstByteA = 0xEF;
constexpr uint8_t BurstByteB = 0xBF;
} // namespace

const QByteArray ScriptedDecoder::Ack("\x1C");
const QByteArray ScriptedDecoder::Nack("\xFC");
const QByteArray ScriptedDecoder::Silence;

ScriptedDecoder::ScriptedDecoder() : SimDevice(QStringLiteral("Scripted decoder"))
{
}

void ScriptedDecoder::Then(const QByteArray &reply, int count, int delayMs)
{
    for (int i = 0; i < count; ++i)
        script_.append({Part{reply, delayMs}});
}

void ScriptedDecoder::AndLater(const QByteArray &bytes, int delayMs)
{
    script_.last().append(Part{bytes, delayMs});
}

void ScriptedDecoder::Send(const Part &part)
{
    if (part.bytes.isEmpty())
        return;
    if (part.delayMs == 0)
        emit Sent(part.bytes);
    else
        QTimer::singleShot(part.delayMs, Qt::PreciseTimer, this, [this, part] { emit Sent(part.bytes); });
}

void ScriptedDecoder::SetDefaultReply(const QByteArray &reply)
{
    defaultReply_ = reply;
}

const QList<QByteArray> &ScriptedDecoder::Writes() const
{
    return writes_;
}

QList<int> ScriptedDecoder::BlocksSent() const
{
    QList<int> blocks;
    for (const QByteArray &write : writes_)
        if (write.size() > 1)
            blocks.append(static_cast<uint8_t>(write.at(0)));
    return blocks;
}

bool ScriptedDecoder::Line1RaisedAtClose() const
{
    return line1AtClose_;
}

int ScriptedDecoder::PreamblePairs() const
{
    return preamblePairs_;
}

void ScriptedDecoder::Receive(const QByteArray &bytes)
{
    SimDevice::Receive(bytes);
    if (!line1_)
        return;
    if (bytes.size() == 1 && static_cast<uint8_t>(bytes.at(0)) == BurstByteA) {
        ++preamblePairs_;
        return;
    }
    if (bytes.size() == 1 && static_cast<uint8_t>(bytes.at(0)) == BurstByteB)
        return;
    writes_.append(bytes);
    const QList<Part> reply = script_.isEmpty() ? QList<Part>{{defaultReply_}} : script_.takeFirst();
    for (const Part &part : reply)
        Send(part);
}

void ScriptedDecoder::SetLines(bool line1, bool line2)
{
    SimDevice::SetLines(line1, line2);
    line1_ = line1;
}

// A closed port drops line 1 with it.
void ScriptedDecoder::Disconnect()
{
    SimDevice::Disconnect();
    line1AtClose_ = line1_;
    line1_ = false;
}

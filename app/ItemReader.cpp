#include "app/ItemReader.h"

namespace {
bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool IsLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}
} // namespace

ItemReader::ItemReader(QString text) : text_(std::move(text)) {}

bool ItemReader::AtEnd() const
{
    return pos_ >= text_.size();
}

std::optional<QString> ItemReader::Next()
{
    SkipBlanks();
    if (AtEnd())
        return std::nullopt;
    const QString item = text_[pos_] == QLatin1Char('"') ? ReadQuoted() : ReadPlain();
    SkipSeparator();
    return item;
}

void ItemReader::SkipBlanks()
{
    while (!AtEnd() && IsBlank(text_[pos_]))
        ++pos_;
}

QString ItemReader::ReadQuoted()
{
    const qsizetype start = pos_ + 1;
    const qsizetype close = text_.indexOf(QLatin1Char('"'), start);
    const qsizetype end = close < 0 ? text_.size() : close;
    pos_ = close < 0 ? end : end + 1;
    // Whatever stands between the closing quote and the separator does not belong to the item.
    while (!AtEnd() && text_[pos_] != QLatin1Char(',') && !IsLineEnd(text_[pos_]))
        ++pos_;
    return text_.mid(start, end - start);
}

QString ItemReader::ReadPlain()
{
    const qsizetype start = pos_;
    while (!AtEnd() && text_[pos_] != QLatin1Char(',') && !IsLineEnd(text_[pos_]))
        ++pos_;
    qsizetype end = pos_;
    while (end > start && IsBlank(text_[end - 1]))
        --end;
    return text_.mid(start, end - start);
}

void ItemReader::SkipSeparator()
{
    if (AtEnd())
        return;
    const QChar c = text_[pos_++];
    if (c == QLatin1Char('\r') && !AtEnd() && text_[pos_] == QLatin1Char('\n'))
        ++pos_;
}

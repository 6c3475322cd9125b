#include "software/IndexReader.h"

#include "app/Windows1252.h"

#include <array>
#include <limits>

namespace {
template <typename Number>
void ConvertInto(const QString &field, Number &value)
{
    bool ok = false;
    const qlonglong converted = field.trimmed().toLongLong(&ok, 10);
    if (ok && converted >= std::numeric_limits<Number>::min()
        && converted <= std::numeric_limits<Number>::max())
        value = static_cast<Number>(converted);
}

constexpr int FixedDescriptionWidth = 27; // ID 3, START 7, LENGTH 6, NAME 8, VERSION 3
constexpr int FixedEndWidth = 2;          // TYPE 1, separator 1
} // namespace

IndexReader::IndexReader(QIODevice &file) : index_(file) {}

IndexReader::Layout IndexReader::ReadLayout()
{
    const QByteArray first = ReadFixed(1);
    if (first == "D")
        return Layout::Token;
    if (first == ";")
        return Layout::Fixed;
    return Layout::Unknown;
}

bool IndexReader::Malformed() const
{
    return end_ == End::Malformed;
}

bool IndexReader::StillReading()
{
    if (end_ == End::NotYet && index_.Consumed() >= MaxIndexLength)
        end_ = End::Malformed;
    return end_ == End::NotYet;
}

Module_DU::Token IndexReader::ReadField()
{
    Module_DU::Token token;
    if (StillReading()) {
        token = Module_DU::ReadToken(index_);
        if (token.Overlong)
            end_ = End::Malformed;
        else if (token.Separator.isEmpty())
            end_ = End::EndOfFile;
    }
    lastSeparator_ = token.Separator;
    return token;
}

QByteArray IndexReader::ReadFixed(int width)
{
    if (!StillReading())
        return {};
    const QByteArray bytes = index_.Read(width);
    if (bytes.size() == width)
        return bytes;
    end_ = End::EndOfFile;
    return {};
}

bool IndexReader::ReadTokenHead()
{
    if (ReadField().Text != QLatin1String("F"))
        return false;
    ReadField();
    return true;
}

bool IndexReader::ReadTokenDescription(IndexEntry &entry)
{
    std::array<QString, 6> fields; // ID, START, LENGTH, NAME, MAJOR, MINOR
    for (QString &field : fields) {
        field = ReadField().Text;
        if (end_ != End::NotYet)
            return false;
    }
    ConvertInto(fields[0], entry.Id);
    ConvertInto(fields[1], entry.Start);
    ConvertInto(fields[2], entry.Length);
    entry.Name = fields[3];
    entry.Version = fields[4] + QLatin1Char('.') + fields[5];
    return true;
}

bool IndexReader::ReadTokenType(IndexEntry &entry)
{
    ConvertInto(ReadField().Text, entry.Type);
    return end_ == End::NotYet;
}

QString IndexReader::SkipExtraFields()
{
    while (lastSeparator_ == QLatin1String("\t"))
        ReadField();
    return lastSeparator_;
}

bool IndexReader::ReadFixedDescription(IndexEntry &entry)
{
    const QByteArray bytes = ReadFixed(FixedDescriptionWidth);
    if (bytes.isEmpty())
        return false;
    const QString text = Windows1252::Decode(bytes);
    ConvertInto(text.mid(0, 3), entry.Id);
    ConvertInto(text.mid(3, 7), entry.Start);
    ConvertInto(text.mid(10, 6), entry.Length);
    entry.Name = text.mid(16, 8).trimmed();
    entry.Version = text.mid(24, 3);
    return true;
}

QString IndexReader::ReadFixedTypeAndSeparator(IndexEntry &entry)
{
    const QByteArray bytes = ReadFixed(FixedEndWidth);
    if (bytes.isEmpty())
        return {};
    ConvertInto(QString(QLatin1Char(bytes[0])), entry.Type);
    const char separator = bytes[1];
    if (separator != ';' && separator != ':')
        end_ = End::Malformed;
    return QString(QLatin1Char(separator));
}

#include "software/IndexReader.h"

#include "app/Windows1252.h"

#include <algorithm>
#include <limits>

namespace {
bool IsAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Digits and the blanks around them are ASCII, so most fields convert from their bytes; one
// with other bytes goes through its text, whose trimming knows more blanks (a no-break space).
qlonglong ToNumber(QByteArrayView field, bool &ok)
{
    if (IsAscii(field))
        return field.trimmed().toLongLong(&ok, 10);
    return Windows1252::Decode(field).trimmed().toLongLong(&ok, 10);
}

template <typename Number>
void ConvertInto(QByteArrayView field, Number &value)
{
    bool ok = false;
    const qlonglong converted = ToNumber(field, ok);
    if (ok && converted >= std::numeric_limits<Number>::min()
        && converted <= std::numeric_limits<Number>::max())
        value = static_cast<Number>(converted);
}

constexpr int FixedDescriptionWidth = 27; // ID 3, START 7, LENGTH 6, NAME 8, VERSION 3
constexpr int FixedEndWidth = 2;          // TYPE 1, separator 1

QByteArrayView Slice(const QByteArray &bytes, int from, int width)
{
    return QByteArrayView(bytes).sliced(from, width);
}
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

bool IndexReader::ReadField(Module_DU::Token &token)
{
    if (StillReading()) {
        Module_DU::ReadToken(index_, token);
        if (token.Overlong)
            end_ = End::Malformed;
        else if (token.Separator == Module_DU::NoSeparator)
            end_ = End::EndOfFile;
    } else {
        token = Module_DU::Token();
    }
    lastSeparator_ = token.Separator;
    return end_ == End::NotYet;
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
    ReadField(field_);
    if (field_.Text() != "F")
        return false;
    ReadField(field_);
    return true;
}

// Each field is taken in before the next is read (see Token); the entry changes only once the
// whole description has been read.
bool IndexReader::ReadTokenDescription(IndexEntry &entry)
{
    IndexEntry read = entry;
    if (!ReadField(field_))
        return false;
    ConvertInto(field_.Text(), read.Id);
    if (!ReadField(field_))
        return false;
    ConvertInto(field_.Text(), read.Start);
    if (!ReadField(field_))
        return false;
    ConvertInto(field_.Text(), read.Length);
    if (!ReadField(field_))
        return false;
    read.Name = Windows1252::Decode(field_.Text());
    if (!ReadField(field_))
        return false;
    version_.resize(0);
    version_.append(field_.Text()).append('.');
    if (!ReadField(field_))
        return false;
    read.Version = Windows1252::Decode(version_.append(field_.Text()));
    entry = std::move(read);
    return true;
}

bool IndexReader::ReadTokenType(IndexEntry &entry)
{
    ReadField(field_);
    ConvertInto(field_.Text(), entry.Type);
    return end_ == End::NotYet;
}

char IndexReader::SkipExtraFields()
{
    while (lastSeparator_ == '\t')
        ReadField(field_);
    return lastSeparator_;
}

bool IndexReader::ReadFixedDescription(IndexEntry &entry)
{
    const QByteArray bytes = ReadFixed(FixedDescriptionWidth);
    if (bytes.isEmpty())
        return false;
    ConvertInto(Slice(bytes, 0, 3), entry.Id);
    ConvertInto(Slice(bytes, 3, 7), entry.Start);
    ConvertInto(Slice(bytes, 10, 6), entry.Length);
    entry.Name = Windows1252::Decode(Slice(bytes, 16, 8)).trimmed();
    entry.Version = Windows1252::Decode(Slice(bytes, 24, 3));
    return true;
}

char IndexReader::ReadFixedTypeAndSeparator(IndexEntry &entry)
{
    const QByteArray bytes = ReadFixed(FixedEndWidth);
    if (bytes.isEmpty())
        return Module_DU::NoSeparator;
    ConvertInto(Slice(bytes, 0, 1), entry.Type);
    const char separator = bytes[1];
    if (separator != ';' && separator != ':')
        end_ = End::Malformed;
    return separator;
}

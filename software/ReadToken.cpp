#include "software/ReadToken.h"

#include <algorithm>

namespace Module_DU {
namespace {
bool IsSeparator(char c)
{
    return c == '.' || c == ':' || c == ';' || c == '\t';
}
} // namespace

// Scans what the input has read ahead for the separator. At most one character more than a
// field may hold is looked at: the one that makes it overlong.
void ReadToken(IndexInput &index, Token &token)
{
    token.pieces_.resize(0); // keeps the capacity
    token.Separator = NoSeparator;
    token.Overlong = false;
    bool inPieces = false;
    const auto finish = [&token, &inPieces](QByteArrayView last) {
        if (!inPieces) {
            token.text_ = last;
            return;
        }
        token.pieces_.append(last);
        token.text_ = token.pieces_;
    };
    for (QByteArrayView ahead = index.Ahead(); !ahead.isEmpty(); ahead = index.Ahead()) {
        const qsizetype room = MaxFieldLength - token.pieces_.size();
        const QByteArrayView scanned = ahead.first(std::min(ahead.size(), room + 1));
        const auto separator = std::find_if(scanned.begin(), scanned.end(),
                                            [](char c) { return IsSeparator(c); });
        const qsizetype length = separator - scanned.begin();
        if (separator != scanned.end()) {
            finish(scanned.first(length));
            token.Separator = *separator;
            index.Skip(length + 1);
            return;
        }
        if (length > room) {
            finish(scanned.first(room));
            token.Overlong = true;
            index.Skip(length);
            return;
        }
        // The chunk ends inside the field: keep its part before reading the next chunk.
        token.pieces_.append(scanned);
        inPieces = true;
        index.Skip(length);
    }
    finish({});
}

} // namespace Module_DU

// Feeds arbitrary bytes to the reply head parser of the online update's HTTP exchange, which
// reads what a remote server sent. A head it accepts must carry a status the exchange can sort
// into its classes and no negative length; and it must read the same text the same way twice.
#include "FuzzSupport.h"
#include "online/HttpHead.h"

#include <cstddef>
#include <cstdint>

namespace {
using FuzzSupport::Require;

constexpr int LowestStatus = 100; // three digits, the first of them the class
constexpr int HighestStatus = 999;

bool SameHead(const HttpHead &a, const HttpHead &b)
{
    return a.Status == b.Status && a.Location == b.Location && a.Length == b.Length
           && a.TransferEncoded == b.TransferEncoded;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    HttpHead head;
    const QString problem = ParseHttpHead(text, head);
    if (problem.isEmpty()) {
        Require(head.Status >= LowestStatus && head.Status <= HighestStatus);
        Require(!head.Length || *head.Length >= 0);
    }
    HttpHead again;
    Require(ParseHttpHead(text, again) == problem && SameHead(again, head));
    return 0;
}

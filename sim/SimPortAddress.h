#pragma once
// Simulated ports are written as "sim:KIND?key=value&key=value", values percent-encoded.
// Kinds: box (the update box, key status=HEX, one or more bytes, default 40), adapter (key
// reply=TEXT replaces its "OK" + CR), noise (never stops sending; key pattern=TEXT), none
// (nothing attached) and busy (exists but cannot be opened). Every kind takes description=TEXT.
// Keys a kind does not know are left for the models that will use them.

#include <QString>
#include <memory>

class SimDevice;

namespace SimPortAddress {

// True when device names a simulated port rather than a path.
bool IsSimulated(const QString &device);

// The model for a "sim:" text, or nullptr when the kind is unknown.
std::shared_ptr<SimDevice> Create(const QString &device);

} // namespace SimPortAddress

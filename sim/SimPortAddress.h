#pragma once
// Simulated ports are written as "sim:KIND?key=value&key=value", values percent-encoded.
// Kinds: box (the update box, key status=HEX, one or more bytes, default 40), adapter (key
// reply=TEXT replaces its "OK" + CR), noise (never stops sending; key pattern=TEXT), none
// (nothing attached) and busy (exists but cannot be opened). Every kind takes description=TEXT.
// Box and adapter also take the keys of a decoder on their track (decoder=ID, block, flash, the
// faults, refuse-block, reply-delay, seed, line-rate; see SimDecoderSettings and the README).
// A kind or a key the simulator does not know, a value that does not parse, and a decoder key
// without decoder=ID refuse the whole text, so that a misspelt one is never taken for a port
// that behaves differently from what was asked for.

#include <QString>
#include <memory>

class SimDevice;

namespace SimPortAddress {

// True when device names a simulated port rather than a path.
bool IsSimulated(const QString &device);

// The model for a "sim:" text; nullptr when device is no "sim:" text or is refused. A refusal
// is described in *refusal, naming the unknown kind or key, or the key and its value.
std::shared_ptr<SimDevice> Create(const QString &device, QString *refusal = nullptr);

} // namespace SimPortAddress

#pragma once
// Where the online update fetches from, and which addresses and file names it accepts. The
// version list comes from the network, so nothing it names is trusted.

#include <QString>
#include <QUrl>

namespace UpdateServer {

// The base address: the settings file's [Online] SERVER; empty when none is configured (no
// server is known that every user could trust, so none is assumed).
QString BaseUrl();

// The version list's address on the server; empty when none is configured.
QString VersionListUrl();

// https; plain http only to the configured server itself when that is a plain http server on
// this machine (a local mirror or test server the user set in the settings file).
bool IsPermittedUrl(const QUrl &url);

// A redirect is followed to https only, wherever it comes from.
bool IsPermittedRedirect(const QUrl &target);

// A bare file name that stays inside the folder it is joined to and names an ordinary file on
// every platform: no separators, no characters Windows forbids, no device name such as NUL.
bool IsPlainFileName(const QString &name);

} // namespace UpdateServer

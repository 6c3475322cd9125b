#pragma once
// Where the online update fetches from, and which addresses and file names it accepts. The
// version list comes from the network, so nothing it names is trusted.

#include <QString>
#include <QUrl>

namespace UpdateServer {

// The base address: the settings file's [Online] SERVER, else https:// and the maker's host.
QString BaseUrl();

// The version list's address on the server.
QString VersionListUrl();

// https, or plain http to this machine only (a local test server).
bool IsPermittedUrl(const QUrl &url);

// A bare file name that stays inside the folder it is joined to.
bool IsPlainFileName(const QString &name);

} // namespace UpdateServer

#include "online/UpdateServer.h"

#include "app/Module_DU.h"
#include "app/mod_ini.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace UpdateServer {
namespace {
const char VersionListPath[] = "/update/DSW_Version.txt";

bool IsLoopbackHost(const QString &host)
{
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
           || QHostAddress(host).isLoopback();
}

bool NamesAHost(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty();
}

bool IsHttps(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

bool IsPlainHttp(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
}

bool SameServer(const QUrl &a, const QUrl &b)
{
    constexpr int HttpPort = 80;
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0
           && a.host().compare(b.host(), Qt::CaseInsensitive) == 0
           && a.port(HttpPort) == b.port(HttpPort);
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 name devices on Windows, in any case and
// with any extension ("nul.dat"); blanks before the extension do not help.
bool IsWindowsDeviceName(const QString &name)
{
    static const QRegularExpression device(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9]) *(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return device.match(name).hasMatch();
}
} // namespace

QString BaseUrl()
{
    return mod_ini::ReadIniString(QStringLiteral("Online"), QStringLiteral("SERVER"),
                                  Module_DU::State().SettingsFile, QString())
        .trimmed();
}

QString VersionListUrl()
{
    QString base = BaseUrl();
    if (base.isEmpty())
        return {};
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QLatin1String(VersionListPath);
}

bool IsPermittedUrl(const QUrl &url)
{
    if (!NamesAHost(url))
        return false;
    if (IsHttps(url))
        return true;
    const QUrl configured(BaseUrl());
    return IsPlainHttp(url) && IsPlainHttp(configured) && IsLoopbackHost(configured.host())
           && SameServer(url, configured);
}

bool IsPermittedRedirect(const QUrl &target)
{
    return NamesAHost(target) && IsHttps(target);
}

bool IsPlainFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringView(u"/\\:?*<>|\"").contains(c))
            return false;
    }
    return !IsWindowsDeviceName(name);
}

} // namespace UpdateServer

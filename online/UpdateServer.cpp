#include "online/UpdateServer.h"

#include "app/Module_DU.h"
#include "app/mod_ini.h"

#include <QHostAddress>

namespace UpdateServer {
namespace {
// The maker's host is not known yet; a name under the reserved .example domain stands for it.
const char MakerHost[] = "updates.decoder-maker.example";
const char VersionListPath[] = "/update/DSW_Version.txt";

bool IsLoopbackHost(const QString &host)
{
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
           || QHostAddress(host).isLoopback();
}
} // namespace

QString BaseUrl()
{
    return mod_ini::ReadIniString(QStringLiteral("Online"), QStringLiteral("SERVER"),
                                  Module_DU::State().SettingsFile,
                                  QStringLiteral("https://") + QLatin1String(MakerHost));
}

QString VersionListUrl()
{
    QString base = BaseUrl();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QLatin1String(VersionListPath);
}

bool IsPermittedUrl(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https")
           || (scheme == QLatin1String("http") && IsLoopbackHost(url.host()));
}

bool IsPlainFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':')
            || c.unicode() < 0x20)
            return false;
    }
    return true;
}

} // namespace UpdateServer

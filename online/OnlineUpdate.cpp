#include "online/OnlineUpdate.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "app/modFunctions.h"
#include "online/UpdateServer.h"
#include "online/mod_URLDownload.h"

#include <QLocale>

namespace {
QString VersionListPath()
{
    return Module_DU::State().UserFolder + QStringLiteral("DSW_Version.txt");
}
} // namespace

OnlineUpdate::OnlineUpdate(OnlineUpdateView &view) : view_(view) {}

void OnlineUpdate::Run()
{
    modFunctions::DoEvents();
    if (UpdateServer::BaseUrl().isEmpty()) {
        view_.AddLine(Text(TextId::NoUpdateServer) + QLatin1Char(' ')
                      + Module_DU::State().SettingsFile);
    } else if (Downloaded(UpdateServer::VersionListUrl(), VersionListPath(),
                          mod_URLDownload::Payload::VersionList)) {
        modFunctions::DoEvents();
        ShowVersionResult();
    }
    view_.EnableClose();
}

bool OnlineUpdate::Downloaded(const QString &url, const QString &localPath,
                              mod_URLDownload::Payload payload)
{
    const QString failure = mod_URLDownload::DownloadFresh(url, localPath, payload);
    if (failure.isEmpty())
        return true;
    view_.AddLine(Text(TextId::DownloadFailed));
    view_.AddLine(Text(TextId::FailureReason) + QLatin1Char(' ') + failure);
    return false;
}

void OnlineUpdate::ReadVersionList()
{
    ::ReadVersionList(VersionListPath(), decoderSw_);
}

void OnlineUpdate::ShowVersionResult()
{
    ReadVersionList();
    // The list comes from the network: a name that could reach outside the software folder
    // counts as no usable entry.
    if (decoderSw_.Version == 0 || !UpdateServer::IsPlainFileName(decoderSw_.File)) {
        view_.AddLine(Text(TextId::DownloadFailed));
        return;
    }
    view_.AddLine(Text(TextId::NewestSoftwareDate)
                  + QLocale().toString(decoderSw_.Date, QLocale::LongFormat));
    if (modFunctions::FileExists(Module_DU::State().SoftwareFolder + decoderSw_.File)) {
        view_.AddLine(Text(TextId::SoftwareAlreadyDownloaded));
        return;
    }
    view_.AddLine(Text(TextId::SoftwareNotYetDownloaded));
    DownloadSoftware();
}

void OnlineUpdate::DownloadSoftware()
{
    auto &state = Module_DU::State();
    const QString local = state.SoftwareFolder + decoderSw_.File;
    // An address that is not https (nor the configured local http server) is refused by the
    // download itself.
    if (!Downloaded(decoderSw_.Location + decoderSw_.File, local,
                    mod_URLDownload::Payload::SoftwareFile))
        return;
    if (modFunctions::FileExists(local)) {
        view_.AddLine(Text(TextId::SoftwareDownloadedNow));
        state.LastFolder = state.SoftwareFolder;
    } else {
        view_.AddLine(Text(TextId::DownloadFailed));
    }
}

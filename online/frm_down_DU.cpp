#include "online/frm_down_DU.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "app/modFunctions.h"
#include "online/UpdateServer.h"
#include "online/mod_URLDownload.h"

#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QString VersionListPath()
{
    return Module_DU::State().UserFolder + QStringLiteral("DSW_Version.txt");
}
} // namespace

frm_down_DU::frm_down_DU(QWidget *parent)
    : QDialog(parent), List1(new QListWidget(this)), cmd_ende(new QPushButton(this))
{
    setWindowTitle(QStringLiteral("Update Decoder Software"));
    List1->setObjectName(QStringLiteral("List1"));
    cmd_ende->setObjectName(QStringLiteral("cmd_ende"));
    cmd_ende->setText(Text(TextId::CloseWindow));
    cmd_ende->setEnabled(false);
    connect(cmd_ende, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(List1);
    layout->addWidget(cmd_ende, 0, Qt::AlignRight);
    resize(420, 220);
}

QStringList frm_down_DU::Lines() const
{
    QStringList lines;
    for (int row = 0; row < List1->count(); ++row)
        lines.append(List1->item(row)->text());
    return lines;
}

void frm_down_DU::reject()
{
    if (cmd_ende->isEnabled())
        QDialog::reject();
}

void frm_down_DU::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Runs once the window is on screen, so the user sees it while the exchange runs.
    if (firstActivation_)
        QTimer::singleShot(0, this, &frm_down_DU::Form_Activate);
}

void frm_down_DU::Form_Activate()
{
    if (!firstActivation_)
        return;
    firstActivation_ = false;
    modFunctions::DoEvents();
    if (mod_URLDownload::DownloadFresh(UpdateServer::VersionListUrl(), VersionListPath(),
                                       mod_URLDownload::Payload::VersionList)) {
        modFunctions::DoEvents();
        ShowVersionResult();
    } else {
        AddLine(Text(TextId::DownloadFailed));
    }
    cmd_ende->setEnabled(true);
    emit ExchangeFinished();
}

void frm_down_DU::ReadVersionList()
{
    ::ReadVersionList(VersionListPath(), decoderSw_);
}

void frm_down_DU::ShowVersionResult()
{
    ReadVersionList();
    // The list comes from the network: a name that could reach outside the software folder
    // counts as no usable entry.
    if (decoderSw_.Version == 0 || !UpdateServer::IsPlainFileName(decoderSw_.File)) {
        AddLine(Text(TextId::DownloadFailed));
        return;
    }
    AddLine(Text(TextId::NewestSoftwareDate) + QLocale().toString(decoderSw_.Date, QLocale::LongFormat));
    if (modFunctions::FileExists(Module_DU::State().SoftwareFolder + decoderSw_.File)) {
        AddLine(Text(TextId::SoftwareAlreadyDownloaded));
        return;
    }
    AddLine(Text(TextId::SoftwareNotYetDownloaded));
    DownloadSoftware();
}

void frm_down_DU::DownloadSoftware()
{
    auto &state = Module_DU::State();
    const QString local = state.SoftwareFolder + decoderSw_.File;
    // An address that is not https (nor the configured local http server) is refused by the
    // download itself.
    if (!mod_URLDownload::DownloadFresh(decoderSw_.Location + decoderSw_.File, local,
                                        mod_URLDownload::Payload::SoftwareFile)) {
        AddLine(Text(TextId::DownloadFailed));
        return;
    }
    if (modFunctions::FileExists(local)) {
        AddLine(Text(TextId::SoftwareDownloadedNow));
        state.LastFolder = state.SoftwareFolder;
    } else {
        AddLine(Text(TextId::DownloadFailed));
    }
}

void frm_down_DU::AddLine(const QString &line)
{
    List1->addItem(line);
    List1->scrollToBottom();
}

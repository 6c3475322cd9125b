#include "software/SoftwareFilePage.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "app/modFunctions.h"
#include "software/FindNewestSoftwareFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
QString ShortenedForCaption(const QString &path)
{
    constexpr int Shown = 30;
    return path.size() > Shown ? QStringLiteral("...") + path.right(Shown) : path;
}

// Only a regular file (or a link to one) counts as openable: a named pipe would wait for a
// writer and freeze the page, whoever chose it.
bool OpenRegularFile(QFile &file, QString &error)
{
    const QFileInfo info(file.fileName());
    // An empty path is what the online update sequence loads when it found nothing.
    if (file.fileName().isEmpty()) {
        error = QStringLiteral("no file name");
        return false;
    }
    if (info.exists() && !info.isFile()) {
        error = QStringLiteral("not a regular file");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    return true;
}
} // namespace

SoftwareFilePage::SoftwareFilePage(FileView &view) : view_(view) {}

void SoftwareFilePage::Activate()
{
    if (activated_)
        return;
    view_.SetCaption(Text(TextId::SoftwareSelection));
    view_.SetControlCaptions();
    activated_ = true;
    const QString newest = FindNewestSoftwareFile();
    if (!newest.isEmpty())
        LoadSoftwareFile(view_, newest);
    if (Module_DU::State().SoftwareFilePath.isEmpty())
        OnlineUpdateSequence();
    if (view_.NextEnabled())
        view_.FocusNext();
}

bool SoftwareFilePage::Activated() const
{
    return activated_;
}

void SoftwareFilePage::Back()
{
    activated_ = false;
}

LoadResult SoftwareFilePage::LoadSoftwareFile(DecoderListView &view, const QString &path)
{
    auto &state = Module_DU::State();
    state.SoftwareFilePath = path;
    view.ClearDecoderList();
    LoadResult result;
    QFile file(path);
    result.Opened = OpenRegularFile(file, result.OpenError);
    if (!result.Opened) {
        state.SoftwareFilePath.clear();
        return result;
    }
    result.Listing = ListSoftwareIndex(file);
    file.close();
    for (const IndexEntry &entry : result.Listing.Entries)
        view.AddDecoderRow(entry.Name, entry.Version, QString::number(entry.Id));

    if (result.Listing.HasKtEntry) {
        view.ShowKtWarning();
        view.SetNextEnabled(false);
    } else {
        view.SetNextEnabled(true);
        view.SelectAllRows();
    }
    view.SetCaption(Text(TextId::SoftwareSelection) + QLatin1Char(' ') + ShortenedForCaption(path));
    return result;
}

void SoftwareFilePage::OpenDialog()
{
    // The file dialog matches filters with case on Linux, so both spellings are listed;
    // names such as *.Dat stay hidden there.
    const QString filter = QStringLiteral("Software(*.dat *.vup *.DAT *.VUP)");
    auto &state = Module_DU::State();
    const QString chosen = view_.AskFileName(Text(TextId::SelectSoftwareFile), state.LastFolder,
                                             filter);
    if (chosen.isEmpty())
        return;
    const QString path = QDir::toNativeSeparators(chosen);
    state.LastFolder = modFunctions::FolderOfPath(path);
    state.LastFile = path;
    LoadSoftwareFile(view_, path);
}

void SoftwareFilePage::OnlineUpdateSequence()
{
    auto &state = Module_DU::State();
    if (state.Exiting)
        return;
    view_.RunOnlineUpdate();
    // The close-down may have begun while the window was open: nothing more is loaded or asked.
    if (state.Exiting)
        return;
    state.LastFolder = state.SoftwareFolder;
    const QString newest = FindNewestSoftwareFile();
    state.LastFile = newest;
    LoadSoftwareFile(view_, newest);
    if (state.SoftwareFilePath.isEmpty())
        OpenDialog();
}

void SoftwareFilePage::Next()
{
    Module_DU::State().ChosenDecoders = view_.SelectedIds();
}

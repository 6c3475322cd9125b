#include "app/Startup.h"

#include "app/LanguageTexts.h"
#include "app/Mod_Getfolder.h"
#include "app/Module_DU.h"
#include "app/modFunctions.h"
#include "app/mod_config.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace Startup {
namespace {
// The program file whose last-modified time is the program's date. The name is fixed: a copy
// under another name has no date.
QString ProgramFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Tobrik.exe");
#else
    return QStringLiteral("Tobrik");
#endif
}

QDateTime ProgramFileDate()
{
    const QFileInfo programFile(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                                + ProgramFileName());
    return programFile.exists() ? programFile.lastModified() : QDateTime();
}
} // namespace

void PrepareProgram()
{
    Mod_Getfolder::GetFolders();
    mod_config::LoadConfig();
    auto &state = Module_DU::State();
    state.ProgramVersion = modFunctions::FormatVersion(TOBRIK_VERSION_MAJOR, TOBRIK_VERSION_MINOR,
                                                       TOBRIK_VERSION_PATCH);
    state.ProgramDate = ProgramFileDate();
}

bool ReadTexts()
{
    return LanguageTexts::ReadTexts(Module_DU::State().TextsFile);
}

} // namespace Startup

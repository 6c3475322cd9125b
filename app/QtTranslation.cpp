#include "app/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace QtTranslation {
namespace {
QTranslator &Current()
{
    static QTranslator translator;
    return translator;
}

bool &EnglishKept()
{
    static bool kept = false;
    return kept;
}
} // namespace

bool Install(const QString &languageCode)
{
    QTranslator &translator = Current();
    QCoreApplication::removeTranslator(&translator);
    // Out of the application first, so that a language without a file falls back to English.
    if (languageCode.isEmpty() || EnglishKept()
        || !translator.load(QStringLiteral("qtbase_") + languageCode,
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

void KeepEnglish()
{
    EnglishKept() = true;
}

} // namespace QtTranslation

#include "app/InfoVersionLine.h"

#include "app/Module_DU.h"
#include "app/Startup.h"

const QString InfoFixedVersionLine = QStringLiteral("Version 5.7.0         17.08.2015");

namespace {
const QString VersionDateGap(5, QLatin1Char(' '));

// The locale's short date, with the year in four digits: the way a desktop writes a date in
// its own settings ("17.08.2015"), where the locale's own short form keeps two ("17.08.15").
QString DateText(const QDate &date, const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return locale.toString(date, format);
}
} // namespace

// A date-time written as text is its date, and its time after a space unless the time is
// exactly midnight; the label takes what stands before that space. The date is taken from the
// locale's date format itself rather than cut at the first space of the whole text, because
// some locales write a date with spaces in it ("17 Aug 2015").
QString InfoVersionLine(const QString &version, const QDateTime &date, const QLocale &locale)
{
    if (!date.isValid() || date.time() == QTime(0, 0))
        return InfoFixedVersionLine;
    return QStringLiteral("Version ") + version + VersionDateGap + DateText(date.date(), locale);
}

QString VersionAnswer(const QString &programName)
{
    Startup::SetProgramVersion();
    const auto &state = Module_DU::State();
    return programName + QLatin1Char(' ')
           + InfoVersionLine(state.ProgramVersion, state.ProgramDate, QLocale()) + QLatin1Char('\n');
}

#include "app/frm_Du_Info.h"

#include "app/Module_DU.h"
#include "app/NamedControls.h"

#include <QVBoxLayout>

const QString InfoFixedVersionLine = QStringLiteral("Version 5.7.0         17.08.2015");

namespace {
const QString VersionDateGap(5, QLatin1Char(' '));
constexpr qreal HeadingScale = 1.4; // the heading's font against the box's own

// Who makes the program. Placeholders until the maker's own lines are known.
const char *const MakerName = "Decoder Maker (example)";
const char *const MakerMail = "info@decoder-maker.example";
const char *const MakerWeb = "https://www.decoder-maker.example";

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

frm_Du_Info::frm_Du_Info(QWidget *parent) : QDialog(parent)
{
    using namespace NamedControls;
    setObjectName(QStringLiteral("frm_Du_Info"));
    setWindowTitle(QStringLiteral("Info"));
    QLabel *heading = Label(this, "Label1", QStringLiteral("VARNO Decoder Update"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * HeadingScale);
    heading->setFont(headingFont);
    QLabel *Label2 = Label(this, "Label2", InfoFixedVersionLine);
    QPushButton *OK = Button(this, "cmd_ok", QStringLiteral("OK"));
    OK->setDefault(true);
    connect(OK, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(Label2);
    layout->addSpacing(heading->fontMetrics().height());
    layout->addWidget(Label(this, "Label3", QString::fromUtf8(MakerName)));
    layout->addWidget(Label(this, "Label4", QString::fromUtf8(MakerMail)));
    layout->addWidget(Label(this, "Label5", QString::fromUtf8(MakerWeb)));
    layout->addSpacing(heading->fontMetrics().height());
    layout->addWidget(OK, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const auto &state = Module_DU::State();
    Label2->setText(InfoVersionLine(state.ProgramVersion, state.ProgramDate, QLocale()));
}

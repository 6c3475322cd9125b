#include "app/frm_Du_Info.h"

#include "app/Module_DU.h"
#include "app/NamedControls.h"

#include <QVBoxLayout>

namespace {
constexpr qreal HeadingScale = 1.4; // the heading's font against the box's own

// Who makes the program. Placeholders until the maker's own lines are known.
const char *const MakerName = "Decoder Maker (example)";
const char *const MakerMail = "info@decoder-maker.example";
const char *const MakerWeb = "https://www.decoder-maker.example";
} // namespace

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

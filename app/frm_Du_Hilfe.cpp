#include "app/frm_Du_Hilfe.h"

#include "app/NamedControls.h"

#include <QCloseEvent>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {
constexpr int PageWidth = 560;
constexpr int PageHeight = 520;
constexpr qreal HeadingScale = 1.4; // the heading's font against the page's own

// Each entry is one paragraph, exactly as written; the first is the heading.
const char *const HelpText[] = {
    R"(VARNO Decoder Update)",
    R"(Um ein Update durchzuführen sind folgende Punkte zu beachten:)",
    R"(1. Verbinden Sie das QXFLINT mit der seriellen Schnittstelle Ihres PC's)",
    R"(2. Schließen Sie das mitgelieferte Netzteil an.)",
    R"(3. Auswahl der richtigen Com-Schnittstelle:)",
    R"(Im Normalfall sollte das QXFLINT beim Programmstart automatisch gefunden )"
    R"(werden. Wenn Sie das Gerät erst nach dem Programmstart angeschlossen haben  )"
    R"(drücken Sie einmal den Button "Com Autodetect".)",
    R"(Wenn nun "Programmer an Com x gefunden" im Fenster steht ist alles OK. )"
    R"(Ansonsten kontrollieren Sie bitte die Verkabelung oder wählen Sie die )"
    R"(Schnittstelle händisch)",
    R"(4. Auswahl der Software-Datei:)",
    R"(Die aktuelle Software-Datei steht immer auf der VARNO-Homepage zum Download )"
    R"(bereit und beinhaltet die Software für alle Updatebaren VARNO-Dekoder.)",
    R"(Wenn sich diese Datei im gleichen Ordner wie das KTL befindet wird sie beim )"
    R"(Programmstart automatisch geöffnet, ansonsten drücken Sie auf "Datei öffnen" )"
    R"(und wählen die Datei, die normalerweise den Namen "DECODERSW.DAT" trägt, )"
    R"(händisch aus.)",
    R"(Jetzt sollte im Fenster neben "Datei öffnen" angezeigt werden für welche )"
    R"(Dekoder Software vorhanden ist und welche Versionen. Dieses Fenster ist nur zur )"
    R"(Information, es muß hier nichts ausgewählt werden.)",
    R"(5. Anschluß des Dekoders:)",
    R"(Verbinden Sie Ihr Programmiergleis mithilfe des mitgelieferten Steckers mit dem )"
    R"(QXFLINT und stellen Sie die zu Updatende Lok aufs Gleis. Die Polarität ist )"
    R"(dabei egal. )",
    R"(6. Update durchführen:)",
    R"(Klicken Sie auf den Button "Decoder Updaten". Im Info-Fenster werden nun )"
    R"(Informationen über den Status der Updateprozedur angezeigt. Wenn die Verbindung )"
    R"(erfolgreich aufgebaut werden konnte und der angeschlossene Decoder erkannt )"
    R"(wurde startet nach einer Sicherheitsabfrage das Update. Während des Updates )"
    R"(läuft unten eine Balkenanzeige die den Fortschritt anzeigt. Wenn dieser Balken )"
    R"(voll ist dann ist das Update abgeschlossen und Sie können die Lok vom Gleis )"
    R"(nehmen.)",
    R"(Sollte das Update wiederholt abbrechen benutzen Sie die "Alternative )"
    R"(Updatemethode".)",
};

// The text as one document: the heading larger and bold, the text wrapped at the width of
// the page. Spaces are kept as they are written.
void FillText(QTextBrowser &text)
{
    QTextCursor cursor(text.document());
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(text.font().pointSizeF() * HeadingScale);
    QTextBlockFormat paragraph;
    paragraph.setBottomMargin(text.fontMetrics().height() / 2);
    bool first = true;
    for (const char *entry : HelpText) {
        if (!first)
            cursor.insertBlock(paragraph, QTextCharFormat());
        cursor.insertText(QString::fromUtf8(entry), first ? heading : QTextCharFormat());
        first = false;
    }
}
} // namespace

frm_Du_Hilfe::frm_Du_Hilfe() : QWidget(nullptr, Qt::Window)
{
    using namespace NamedControls;
    setObjectName(QStringLiteral("frm_Du_Hilfe"));
    setWindowTitle(QStringLiteral("Hilfe"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *text = Named(new QTextBrowser(this), "txt_hilfe");
    text->setLineWrapMode(QTextEdit::WidgetWidth);
    FillText(*text);
    QPushButton *OK = Button(this, "cmd_ok", QStringLiteral("OK"));
    connect(OK, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text, 1);
    layout->addWidget(OK, 0, Qt::AlignHCenter);
    resize(PageWidth, PageHeight);
}

void frm_Du_Hilfe::ShowInFront()
{
    // The text starts at its heading; the browser would otherwise keep the place it was
    // scrolled to, or the end it was filled up to.
    findChild<QTextBrowser *>(QStringLiteral("txt_hilfe"))->moveCursor(QTextCursor::Start);
    show();
    raise();
    activateWindow();
}

void frm_Du_Hilfe::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit Unloaded();
}

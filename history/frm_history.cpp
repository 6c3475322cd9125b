#include "history/frm_history.h"

#include "app/Dialogs.h"
#include "app/LanguageTexts.h"
#include "app/NamedControls.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace NamedControls;

namespace {
// The table's columns, in their order.
enum Column { TimeColumn, DecoderColumn, VersionColumn, ResultColumn, NoteColumn, ColumnCount };

const QString CsvName = QStringLiteral("Update_History.csv");
const QString CsvFilter = QStringLiteral("CSV (*.csv)");
constexpr int StartWidth = 640; // pixels
constexpr int StartHeight = 420;

QTableWidgetItem *Cell(const QString &text)
{
    auto *cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return cell;
}
} // namespace

frm_history::frm_history(const QString &historyPath)
    : QWidget(nullptr, Qt::Window), historyPath_(historyPath)
{
    setObjectName(QStringLiteral("frm_history"));
    setWindowTitle(Text(TextId::UpdateHistory));
    setAttribute(Qt::WA_DeleteOnClose);
    CreateControls();
    resize(StartWidth, StartHeight);
}

void frm_history::CreateControls()
{
    cmb_decoder = Named(new QComboBox(this), "cmb_decoder");
    cmb_decoder->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QLabel *lbl_decoder = Label(this, "lbl_decoder", Text(TextId::DecoderFilter));
    lbl_decoder->setBuddy(cmb_decoder);
    tbl_history = Named(new QTableWidget(0, ColumnCount, this), "tbl_history");
    tbl_history->setHorizontalHeaderLabels({Text(TextId::HistoryTime), Text(TextId::HistoryDecoder),
                                            Text(TextId::HistoryVersion), Text(TextId::HistoryResult),
                                            Text(TextId::Note)});
    tbl_history->verticalHeader()->hide();
    tbl_history->setSelectionBehavior(QAbstractItemView::SelectRows);
    tbl_history->horizontalHeader()->setStretchLastSection(true);
    cmd_refresh = Button(this, "cmd_refresh", Text(TextId::Refresh));
    cmd_export = Button(this, "cmd_export", Text(TextId::ExportCsv));
    cmd_close = Button(this, "cmd_close", Text(TextId::CloseWindow));

    auto *filter = new QHBoxLayout;
    filter->addWidget(lbl_decoder);
    filter->addWidget(cmb_decoder);
    filter->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmd_refresh);
    buttons->addStretch();
    buttons->addWidget(cmd_export);
    buttons->addWidget(cmd_close);
    auto *window = new QVBoxLayout(this);
    window->addLayout(filter);
    window->addWidget(tbl_history, 1);
    window->addLayout(buttons);

    connect(cmb_decoder, &QComboBox::activated, this, &frm_history::FilterChanged);
    connect(cmd_refresh, &QPushButton::clicked, this, &frm_history::Refresh);
    connect(cmd_export, &QPushButton::clicked, this, &frm_history::ExportCsv);
    connect(cmd_close, &QPushButton::clicked, this, &QWidget::close);
}

void frm_history::ShowInFront()
{
    Refresh();
    show();
    raise();
    activateWindow();
}

void frm_history::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit Unloaded();
}

void frm_history::Refresh()
{
    listing_.SetRecords(UpdateHistory::Read(historyPath_));
    FillFilter();
    FilterChanged();
}

// All decoders first, then each one seen; the decoder chosen stays chosen while the history
// still holds it.
void frm_history::FillFilter()
{
    const QVariant chosen = cmb_decoder->currentData();
    cmb_decoder->clear();
    cmb_decoder->addItem(Text(TextId::AllDecoders));
    for (const auto &[id, name] : listing_.DecodersSeen())
        cmb_decoder->addItem(name, id);
    cmb_decoder->setCurrentIndex(qMax(0, cmb_decoder->findData(chosen)));
}

void frm_history::FilterChanged()
{
    const QVariant id = cmb_decoder->currentData();
    listing_.SetDecoderFilter(id.isValid() ? std::optional<int32_t>(id.toInt()) : std::nullopt);
    FillTable();
}

void frm_history::FillTable()
{
    const std::vector<UpdateRecord> listed = listing_.Listed();
    tbl_history->setRowCount(static_cast<int>(listed.size()));
    for (int row = 0; row < tbl_history->rowCount(); ++row) {
        const UpdateRecord &record = listed[row];
        tbl_history->setItem(row, TimeColumn, Cell(HistoryCells::Time(record)));
        tbl_history->setItem(row, DecoderColumn,
                             Cell(HistoryCells::Decoder(record.decoder, record.decoderId)));
        tbl_history->setItem(row, VersionColumn, Cell(record.version));
        QTableWidgetItem *result = Cell(HistoryCells::Result(record.result));
        if (const auto colour = HistoryCells::ResultColour(record.result))
            result->setBackground(*colour);
        tbl_history->setItem(row, ResultColumn, result);
        tbl_history->setItem(row, NoteColumn, Cell(record.note));
    }
    tbl_history->resizeColumnsToContents();
}

// What the window lists, as it lists it, written whole: a failed write leaves an older file of
// that name as it was.
void frm_history::ExportCsv()
{
    const QString start =
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(CsvName);
    const QString path =
        Dialogs::Current().SaveFileName(this, Text(TextId::ExportCsv), start, CsvFilter);
    if (path.isEmpty())
        return;
    const QByteArray csv = UpdateHistory::ToCsv(listing_.Listed()).toUtf8();
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size()
        && file.commit();
    if (!written)
        Dialogs::Current().Message(this, Text(TextId::UpdateHistory),
                                   Text(TextId::CsvNotWritten) + QLatin1Char('\n') + path
                                       + QLatin1Char('\n') + file.errorString());
}

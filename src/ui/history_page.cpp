#include "ui/history_page.h"

#include "history/history_csv.h"
#include "history/history_filter.h"
#include "history/history_sheet.h"
#include "link/link_session.h"
#include "link/reporter.h"
#include "sheets/workbook_writer.h"
#include "ui/settings_page.h"

#include <QDateEdit>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimeEdit>

namespace zc {

namespace {

// Draws every cell, the header row and the row numbers included, as the window colour
// with its text centred on one line: no selection colour and no focus frame.
class CentredCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->fillRect(option.rect, option.palette.color(QPalette::Window));
        const QString text = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty()) return;
        painter->save();
        painter->setPen(option.palette.color(QPalette::WindowText));
        painter->setFont(option.font);
        painter->drawText(option.rect, int(Qt::AlignCenter | Qt::TextSingleLine), text);
        painter->restore();
    }
};

QLabel *placeLabel(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QDateEdit *placeDate(QWidget *parent, const char *name, QDate date, QRect geometry)
{
    auto *d = new QDateEdit(date, parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    d->setCalendarPopup(true);
    d->setGeometry(geometry);
    return d;
}

QTimeEdit *placeTime(QWidget *parent, const char *name, QTime time, QRect geometry)
{
    auto *t = new QTimeEdit(time, parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setDisplayFormat(QStringLiteral("H:mm:ss"));
    t->setGeometry(geometry);
    return t;
}

} // namespace

HistoryPage::HistoryPage(LinkSession &session, Reporter &reporter, FileDialogs *files, Clock clock,
                         QWidget *parent)
    : QWidget(parent), m_session(session), m_reporter(reporter), m_historyInf(m_model),
      m_files(reporter, files, std::move(clock), this)
{
    setObjectName(QStringLiteral("ts3"));
    session.attach(m_historyInf);

    auto *top = new QWidget(this);
    top->setGeometry(0, 0, 976, 47);
    QPushButton *btn19 = placeButton(top, "btn19", QStringLiteral("Read data"), {9, 8, 86, 30});
    placeLabel(top, "lbl1", QStringLiteral("Start:"), {212, 17, 34, 13});
    m_dtp1 = placeDate(top, "dtp1", QDate(2015, 3, 3), {249, 13, 90, 21});
    m_dtp2 = placeTime(top, "dtp2", QTime(0, 0, 0), {349, 13, 85, 21});
    placeLabel(top, "lbl2", QStringLiteral("End:"), {464, 17, 27, 13});
    const QDateTime now = QDateTime::currentDateTime();
    m_dtp3 = placeDate(top, "dtp3", now.date(), {493, 13, 90, 21});
    m_dtp4 = placeTime(top, "dtp4", now.time(), {591, 13, 85, 21});
    QPushButton *btn20 = placeButton(top, "btn20", QStringLiteral("Filter"), {699, 8, 97, 30});
    auto *left = new QWidget(this);
    left->setGeometry(0, 47, 100, 585 - 47);
    QPushButton *btn18 = placeButton(left, "btn18", QStringLiteral("Export.CSV"), {9, 73, 86, 30});
    QPushButton *btn13 = placeButton(left, "btn13", QStringLiteral("Export.XLS"), {9, 126, 86, 30});
    QPushButton *btn23 = placeButton(left, "btn23", QStringLiteral("Delete all"), {9, 297, 85, 30});
    buildGrid();
    m_controls = {btn19, btn20, btn23, btn13, btn18};
    connect(btn19, &QPushButton::clicked, this, &HistoryPage::btn19Click);
    connect(btn20, &QPushButton::clicked, this, &HistoryPage::btn20Click);
    connect(btn23, &QPushButton::clicked, this, &HistoryPage::btn23Click);
    connect(btn13, &QPushButton::clicked, this, &HistoryPage::btn13Click);
    connect(btn18, &QPushButton::clicked, this, &HistoryPage::btn18Click);
}

// The grid sits in the centre box ScrollBox2 (between the left panel and the empty right
// strip) and scrolls vertically there. The table's own first row and first column carry
// the headers and the row numbers, so the view's headers stay hidden.
void HistoryPage::buildGrid()
{
    auto *box = new QWidget(this);
    box->setObjectName(QStringLiteral("ScrollBox2"));
    box->setGeometry(100, 47, 850, 534);

    auto *grid = new QTableView(box);
    grid->setObjectName(QStringLiteral("strngrd4"));
    grid->setGeometry(0, 0, 850, 534);
    grid->setModel(&m_model);
    grid->setItemDelegate(new CentredCellDelegate(grid));
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    grid->setPalette(palette);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(24);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setMinimumSectionSize(0);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    static constexpr int widths[HistoryModel::Columns] = {38, 0, 74, 70, 95, 112, 129, 235};
    for (int c = 0; c < HistoryModel::Columns; ++c)
        grid->setColumnWidth(c, widths[c]);
    // The record number stays in the table for the filter and the exports, but is not shown.
    grid->setColumnHidden(HistoryModel::NumberColumn, true);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid->setWordWrap(false);
    grid->setCornerButtonEnabled(false);
    m_strngrd4 = grid;
}

void HistoryPage::btn19Click()
{
    if (m_session.refuseDeviceAction()) return;
    m_historyInf.Read();
}

void HistoryPage::btn20Click()
{
    // A read still filling the table would write its pages over the filtered rows.
    if (refuseWhileTransferring(m_reporter)) return;
    // One repaint, when the filter has rewritten the table.
    m_strngrd4->setUpdatesEnabled(false);
    const FilterResult r =
        FilterHistory(m_model, m_dtp1->date(), m_dtp2->time(), m_dtp3->date(), m_dtp4->time());
    m_strngrd4->setUpdatesEnabled(true);
    if (!r.status.isEmpty()) m_reporter.setStatus(r.status);
    if (!r.message.isEmpty()) m_reporter.messageDialog(r.message);
}

void HistoryPage::btn23Click()
{
    if (m_session.refuseDeviceAction()) return;
    if (!m_reporter.warningOkCancel(
            QStringLiteral("Warning: Thie operation will DELETE all of the historical data on GSM device! ")))
        return;
    m_historyInf.DeleteAll();
}

void HistoryPage::btn13Click()
{
    const QString chosen = m_files.askWorkbookToSave(QStringLiteral("hisinf_R"), QStringLiteral("dlgSave3"));
    if (chosen.isEmpty()) return;
    constexpr int last = HistoryModel::LastRecordRow;
    const Sheet sheet = HistorySheet::toSheet(m_model, [this](int row) {
        if (row > 0) m_reporter.setProgress(row * 100 / last);
        m_reporter.setStatus(QStringLiteral("historical information records:%1/%2").arg(row).arg(last));
    });
    m_files.reportSaved(WorkbookWriter::save(sheet, chosen));
}

void HistoryPage::btn18Click()
{
    constexpr int last = HistoryModel::LastRecordRow;
    m_files.writeTextFile(QStringLiteral("hisinf_CSV"), [this] {
        return HistoryCsv::fileBytes(m_model, [this](int row) {
            m_reporter.setProgress(row * 100 / (last + 1));
            m_reporter.setStatus(QStringLiteral("Export.csv:%1/%2").arg(row - 1).arg(last));
        });
    });
}

} // namespace zc

#include "ui/history_page.h"

#include "history/history_chart.h"
#include "history/history_csv.h"
#include "history/history_filter.h"
#include "history/history_json.h"
#include "history/history_sheet.h"
#include "link/link_session.h"
#include "link/reply_handler.h"
#include "sheets/json_envelope.h"
#include "sheets/workbook_writer.h"
#include "ui/findings_bar.h"
#include "ui/on_screen_table_view.h"
#include "ui/reporters.h"
#include "ui/widget_placing.h"
#include "words/reporter.h"

#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <QDateEdit>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace zc {

namespace {

// Draws every cell, the header row and the row numbers included, on the white of a
// window's client area (the base colour) with its text centred on one line: no selection
// colour and no focus frame.
class CentredCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->fillRect(option.rect, option.palette.color(QPalette::Base));
        const QString text = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty()) return;
        painter->save();
        painter->setPen(option.palette.color(QPalette::Text));
        painter->setFont(option.font);
        painter->drawText(option.rect, int(Qt::AlignCenter | Qt::TextSingleLine), text);
        painter->restore();
    }
};

// Holds the grid at its full size in the box. (Laid 7 pixels left of the box, as the grid
// once was, it would cut the Serial header and the row numbers on the left.)
class GridHolder : public QWidget
{
public:
    using QWidget::QWidget;
    QWidget *grid = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        if (grid) grid->setGeometry(0, 0, width(), height());
    }
};

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
    QPushButton *showAll = placeButton(top, "btn_showall", QStringLiteral("Show all"), {806, 8, 86, 30});
    showAll->setToolTip(QStringLiteral("Show every record of the last read again, without reading the unit"));
    btn19->setToolTip(QStringLiteral("Read the whole log from the unit"));
    auto *left = new QWidget(this);
    left->setGeometry(0, 47, 100, 585 - 47);
    m_btnChart = placeButton(left, "btn_chart", QStringLiteral("Chart"), {9, 20, 86, 30});
    m_btnChart->setCheckable(true);
    m_btnChart->setToolTip(QStringLiteral("Show or hide the chart of the records shown, by day and kind"));
    QPushButton *btn18 = placeButton(left, "btn18", QStringLiteral("Export.CSV"), {9, 73, 86, 30});
    QPushButton *btn13 = placeButton(left, "btn13", QStringLiteral("Export.XLS"), {9, 126, 86, 30});
    QPushButton *btn23 = placeButton(left, "btn23", QStringLiteral("Delete all"), {9, 297, 85, 30});
    btn13->setToolTip(QStringLiteral("Export the records shown to a workbook"));
    btn18->setToolTip(QStringLiteral("Export the records shown to a text file in the export folder"));
    buildGrid();
    setMinimumSize(900, 47 + 297 + 30 + 8);
    m_controls = {btn19, btn20, btn23, btn13, btn18}; // Show all needs no unit: it shows what was read
    m_keyButtons = {btn19, nullptr, btn13};
    connect(showAll, &QPushButton::clicked, this, &HistoryPage::showAllClick);
    connect(m_btnChart, &QPushButton::toggled, this, &HistoryPage::setChartShown);
    // A read that ends early still leaves its records as the log to filter.
    connect(&m_historyInf, &Tsend_rec_command::done, this, [this](const Outcome &outcome) {
        if (!outcome.completed())
            m_historyInf.keepPartialRead();
        else
            m_reporter.setStatus(QStringLiteral("History read: %1 records kept").arg(m_historyInf.kept()));
    });
    // The chart follows the table, a few times a second at most, and only while shown.
    m_chartTimer = new QTimer(this);
    m_chartTimer->setSingleShot(true);
    m_chartTimer->setInterval(150);
    connect(m_chartTimer, &QTimer::timeout, this, &HistoryPage::refreshChart);
    connect(&m_model, &QAbstractItemModel::dataChanged, this, [this] {
        if (chartShown()) m_chartTimer->start();
        m_chartStale = true;
    });
    connect(btn19, &QPushButton::clicked, this, &HistoryPage::btn19Click);
    connect(btn20, &QPushButton::clicked, this, &HistoryPage::btn20Click);
    connect(btn23, &QPushButton::clicked, this, &HistoryPage::btn23Click);
    connect(btn13, &QPushButton::clicked, this, &HistoryPage::btn13Click);
    connect(btn18, &QPushButton::clicked, this, &HistoryPage::btn18Click);
}

HistoryPage::~HistoryPage() = default;

// The grid sits in the centre box ScrollBox2 (between the left panel and the empty right
// strip) and scrolls vertically there; the box follows the page's size, so on a small
// screen the grid keeps its own scroll bar in sight. The table's own first row and first
// column carry the headers and the row numbers, so the view's headers stay hidden.
void HistoryPage::buildGrid()
{
    auto *box = new QWidget(this);
    box->setObjectName(QStringLiteral("ScrollBox2"));
    box->setGeometry(100, 47, 850, 534);
    m_box = box;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    layout->addWidget(m_findings = new FindingsBar(box));
    auto *holder = new GridHolder(box);
    layout->addWidget(holder, 1);
    auto *grid = new OnScreenTableView(holder);
    holder->grid = grid;
    grid->setObjectName(QStringLiteral("strngrd4"));
    grid->setModel(&m_model);
    grid->setItemDelegate(new CentredCellDelegate(grid));
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

void HistoryPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_chartStale && chartShown()) QTimer::singleShot(0, this, &HistoryPage::refreshChart);
}

void HistoryPage::resizeEvent(QResizeEvent *event)
{
    // Left panel 100 wide, the empty strip 22 wide on the right, 4 below.
    m_box->setGeometry(100, 47, qMax(200, width() - 100 - 26), qMax(100, height() - 47 - 4));
    QWidget::resizeEvent(event);
}

void HistoryPage::btn19Click()
{
    if (m_session.refuseDeviceAction()) return;
    m_historyInf.Read();
}

bool HistoryPage::refuseWhileReading()
{
    // A read still filling the table would write its pages over the filtered rows.
    if (refuseWhileTransferring(m_reporter)) return true;
    return false;
}

void HistoryPage::btn20Click()
{
    if (refuseWhileReading()) return;
    // The whole log of the last read; before any read, what the table holds.
    HistoryStore tableOnly;
    if (m_historyInf.store().size() == 0) tableOnly.takeFrom(m_model);
    const HistoryStore &log = m_historyInf.store().size() == 0 ? tableOnly : m_historyInf.store();
    // One repaint, when the filter has rewritten the table.
    m_strngrd4->setUpdatesEnabled(false);
    const FilterResult r =
        FilterHistory(log.records(), m_model, m_dtp1->date(), m_dtp2->time(), m_dtp3->date(), m_dtp4->time());
    m_strngrd4->setUpdatesEnabled(true);
    if (!r.status.isEmpty()) m_reporter.setStatus(r.status);
    if (!r.message.isEmpty()) {
        m_reporter.messageDialog(r.message);
        return;
    }
    // The matches are written from the first row on: show them, not the rows left empty.
    m_strngrd4->scrollToTop();
}

void HistoryPage::showAllClick()
{
    if (refuseWhileReading()) return;
    const HistoryStore &log = m_historyInf.store();
    m_strngrd4->setUpdatesEnabled(false);
    log.showAll(m_model);
    m_strngrd4->setUpdatesEnabled(true);
    // The range fields say what is shown: the whole log, as a filter would take it.
    if (const auto [first, last] = log.days(); first.isValid()) setRangeDays(first, last);
    m_reporter.setStatus(QStringLiteral("All %1 records shown").arg(log.size()));
}

void HistoryPage::setRangeDays(QDate first, QDate last)
{
    // The filter keeps what lies strictly inside its range: from the last second of the
    // day before to midnight after.
    m_dtp1->setDate(first.addDays(-1));
    m_dtp2->setTime(QTime(23, 59, 59));
    m_dtp3->setDate(last.addDays(1));
    m_dtp4->setTime(QTime(0, 0, 0));
}

void HistoryPage::filterDays(QDate first, QDate last)
{
    setRangeDays(first, last);
    btn20Click();
}

void HistoryPage::btn23Click()
{
    if (m_session.refuseDeviceAction()) return;
    if (!m_reporter.confirm(
            QStringLiteral("Warning: Thie operation will DELETE all of the historical data on GSM device! ") +
                QStringLiteral(
                    "\nTo keep a copy, cancel and export the log first (Export.XLS or Export.CSV)."),
            Reporter::Prompt::Warning, Reporter::Default::Cancel))
        return;
    m_historyInf.DeleteAll();
}

// The chart of the records shown: one stacked bar per day, week or month, one colour per
// kind of event. Built when first shown; while hidden it is not kept up to date.
struct HistoryPage::ChartParts
{
    QChart *chart = nullptr;
    QChartView *view = nullptr;
    HistoryChartData data;
};

bool HistoryPage::chartShown() const
{
    return m_chartView && m_chartView->isVisibleTo(this);
}

void HistoryPage::buildChart()
{
    m_chart = std::make_unique<ChartParts>();
    m_chart->chart = new QChart;
    followPalette();
    m_chart->chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->chart->legend()->setAlignment(Qt::AlignRight);
    m_chart->chart->setMargins(QMargins(2, 2, 2, 2));
    m_chart->chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->chart->setBackgroundRoundness(0);
    m_chart->view = new QChartView(m_chart->chart, m_box);
    m_chart->view->setObjectName(QStringLiteral("cht_history"));
    m_chart->view->setRenderHint(QPainter::Antialiasing);
    m_chart->view->setMinimumHeight(150);
    m_chart->view->setMaximumHeight(210);
    m_chart->view->setToolTip(
        QStringLiteral("Click a bar to show that day, week or month; Show all widens again"));
    m_chartView = m_chart->view;
    followPalette();
    static_cast<QVBoxLayout *>(m_box->layout())->insertWidget(0, m_chartView);
}

void HistoryPage::followPalette()
{
    if (!m_chart) return;
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    const QChart::ChartTheme theme = dark ? QChart::ChartThemeDark : QChart::ChartThemeLight;
    if (m_chart->chart->theme() != theme) m_chart->chart->setTheme(theme);
    // The theme's own background, margins and title fonts; the bars keep the kinds' colours.
    m_chart->chart->setBackgroundBrush(palette().brush(QPalette::Base));
    m_chart->chart->setBackgroundRoundness(0);
    m_chart->chart->setMargins(QMargins(2, 2, 2, 2));
    if (m_chart->view) m_chart->view->setBackgroundBrush(palette().brush(QPalette::Base));
}

void HistoryPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_chart) {
        followPalette();
        m_chartStale = true;
        if (chartShown()) m_chartTimer->start();
    }
}

void HistoryPage::setChartShown(bool shown)
{
    if (m_btnChart->isChecked() != shown) m_btnChart->setChecked(shown);
    if (shown && !m_chart) buildChart();
    if (!m_chartView) return;
    m_chartView->setVisible(shown);
    if (shown) refreshChart();
}

void HistoryPage::refreshChart()
{
    // Another page in front: drawn when this one is shown again.
    if (!chartShown() || !m_chartView->isVisible()) return;
    m_chartStale = false;
    QChart *chart = m_chart->chart;
    m_chart->data = HistoryChart::count(m_model);
    const HistoryChartData &data = m_chart->data;

    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes())
        chart->removeAxis(axis), delete axis;
    auto *series = new QStackedBarSeries;
    series->setBarWidth(0.8);
    static const QColor colours[kHistoryKinds] = {QColor(0x2e, 0x7d, 0x32), QColor(0xc6, 0x28, 0x28),
                                                  QColor(0xef, 0x8f, 0x00), QColor(0x15, 0x65, 0xc0),
                                                  QColor(0x6a, 0x1b, 0x9a)};
    for (int k = 0; k < kHistoryKinds; ++k) {
        auto *set = new QBarSet(HistoryChartData::kindName(HistoryKind(k)));
        set->setColor(colours[k]);
        set->setBorderColor(colours[k]);
        QList<qreal> values;
        values.reserve(data.buckets.size());
        for (const HistoryBucket &b : data.buckets)
            values << b.counts[k];
        set->append(values);
        connect(set, &QBarSet::clicked, this, [this](int index) {
            const HistoryBucket b = m_chart->data.buckets.value(index);
            if (b.first.isValid()) filterDays(b.first, b.last);
        });
        series->append(set);
    }
    chart->addSeries(series);

    // About a dozen labels fit under the bars, each at the bar it names.
    const int n = int(data.buckets.size());
    const int every = qMax(1, (n + 11) / 12);
    int highest = 0;
    for (const HistoryBucket &b : data.buckets)
        highest = qMax(highest, b.total());
    auto *x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setRange(-0.5, qMax(0, n - 1) + 0.5);
    x->setStartValue(-0.5);
    for (int i = 0; i < n; i += every)
        x->append(data.label(i), i);
    x->setGridLineVisible(false);
    QFont small = font();
    small.setPixelSize(9);
    x->setLabelsFont(small);
    static const char *const per[] = {"day", "week", "month"};
    QString title = QStringLiteral("Records per %1").arg(QLatin1String(per[int(data.period)]));
    if (!data.buckets.isEmpty())
        title += QStringLiteral(", %1 to %2")
                     .arg(data.buckets.first().first.toString(Qt::ISODate),
                          data.buckets.last().last.toString(Qt::ISODate));
    else
        title = QStringLiteral("No records shown");
    x->setTitleText(title);
    x->setTitleFont(small);
    auto *y = new QValueAxis;
    // Whole-number steps of 1, 2 or 5 times a power of ten, about four of them.
    int step = 1;
    for (int scale = 1; step * 4 < highest; scale *= 10)
        for (int f : {1, 2, 5})
            if ((step = f * scale) * 4 >= highest) break;
    y->setRange(0, qMax(step, (highest + step - 1) / step * step));
    y->setTickType(QValueAxis::TicksDynamic);
    y->setTickAnchor(0);
    y->setTickInterval(step);
    y->setLabelFormat(QStringLiteral("%d"));
    y->setLabelsFont(small);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

void HistoryPage::btn13Click()
{
    const QString chosen = m_files.askWorkbookToSave(QStringLiteral("hisinf_R"), QStringLiteral("dlgSave3"));
    if (chosen.isEmpty()) return;
    if (JsonEnvelope::isJsonFile(chosen)) return m_files.saveJson(chosen, HistoryJson::bytes(m_model));
    constexpr int last = HistoryModel::LastRecordRow;
    const Sheet sheet = HistorySheet::toSheet(m_model, [this](int row) {
        if (row > 0) m_reporter.setProgress(row * 100 / last);
        m_reporter.setStatus(QStringLiteral("historical information records:%1/%2").arg(row).arg(last));
    });
    m_files.reportSaved(WorkbookWriter::save(sheet, chosen));
}

void HistoryPage::btn18Click()
{
    m_files.writeCsvExport(
        QStringLiteral("hisinf_CSV"), HistoryModel::LastRecordRow,
        [this](const PageFiles::RowDone &rowDone) { return HistoryCsv::fileBytes(m_model, rowDone); });
}

} // namespace zc

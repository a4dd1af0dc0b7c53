// The "History" page `ts3`: the read button and the date and time range of the filter on
// top, the export and delete buttons on the left, the read-only grid `strngrd4`, and the
// history table and transfer behind them. The workbook and text file exports need no link.
// The filter and "Show all" draw from the whole log of the last read, so nothing a filter
// leaves out is lost. A chart of the records shown can be shown above the grid.
#pragma once

#include "history/history_inf.h"
#include "history/history_model.h"
#include "ui/device_page.h"
#include "ui/file_dialogs.h"

#include <QWidget>

#include <memory>

class QDateEdit;
class QPushButton;
class QTimer;
class QTableView;
class QTimeEdit;

namespace zc {

class LinkSession;
class FindingsBar;
class Reporter;

class HistoryPage : public QWidget, public DevicePage
{
    Q_OBJECT
public:
    // files and clock may be left empty: QFileDialogs and the local time are used.
    HistoryPage(LinkSession &session, Reporter &reporter, FileDialogs *files = nullptr, Clock clock = {},
                QWidget *parent = nullptr);
    ~HistoryPage() override;

    HistoryModel &model() { return m_model; }
    THistoryInf &transfer() override { return m_historyInf; }
    QWidget *pageWidget() override { return this; }
    QList<QPushButton *> deviceControls() const override { return m_controls; }
    QTableView *grid() const { return m_strngrd4; }
    FindingsBar *findingsBar() const { return m_findings; }
    // The chart's view; nullptr until the chart was first shown.
    QWidget *chartView() const { return m_chartView; }
    bool chartShown() const;

public slots:
    void btn19Click(); // Read data
    void btn20Click(); // Filter
    void btn23Click(); // Delete all
    void btn13Click(); // Export.XLS
    void btn18Click(); // Export.CSV
    void showAllClick();
    void setChartShown(bool shown);
    // Sets the filter range to hold the days first..last whole and filters (a chart bar).
    void filterDays(QDate first, QDate last);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // A new palette (a dark desktop) redraws the chart in its colours.
    void changeEvent(QEvent *event) override;

private:
    // Sets the filter range to hold the days first..last whole.
    void setRangeDays(QDate first, QDate last);
    void buildGrid();
    void buildChart();
    void refreshChart();
    // The chart's theme and background follow the window's palette, light or dark.
    void followPalette();
    bool refuseWhileReading();

    LinkSession &m_session;
    Reporter &m_reporter;
    HistoryModel m_model;
    THistoryInf m_historyInf;
    PageFiles m_files;
    QList<QPushButton *> m_controls;
    QDateEdit *m_dtp1 = nullptr; // start date
    QTimeEdit *m_dtp2 = nullptr; // start time
    QDateEdit *m_dtp3 = nullptr; // end date
    QTimeEdit *m_dtp4 = nullptr; // end time
    QTableView *m_strngrd4 = nullptr;
    FindingsBar *m_findings = nullptr; // the audit's findings above the grid
    QWidget *m_box = nullptr;          // ScrollBox2: the chart above the grid
    QPushButton *m_btnChart = nullptr;
    QWidget *m_chartView = nullptr; // built when first shown
    struct ChartParts;
    std::unique_ptr<ChartParts> m_chart;
    QTimer *m_chartTimer = nullptr; // gathers the table's changes into one redraw
    bool m_chartStale = true;       // the table changed since the chart was drawn
};

} // namespace zc

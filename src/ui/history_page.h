// The "History" page `ts3`: the read button and the date and time range of the filter on
// top, the export and delete buttons on the left, the read-only grid `strngrd4`, and the
// history table and transfer behind them. The workbook and text file exports need no link.
#pragma once

#include "history/history_inf.h"
#include "history/history_model.h"
#include "ui/device_page.h"
#include "ui/file_dialogs.h"

#include <QWidget>

class QDateEdit;
class QPushButton;
class QTableView;
class QTimeEdit;

namespace zc {

class LinkSession;
class Reporter;

class HistoryPage : public QWidget, public DevicePage
{
    Q_OBJECT
public:
    // files and clock may be left empty: QFileDialogs and the local time are used.
    HistoryPage(LinkSession &session, Reporter &reporter, FileDialogs *files = nullptr, Clock clock = {},
                QWidget *parent = nullptr);

    HistoryModel &model() { return m_model; }
    THistoryInf &transfer() override { return m_historyInf; }
    QWidget *pageWidget() override { return this; }
    QList<QPushButton *> deviceControls() const override { return m_controls; }
    QTableView *grid() const { return m_strngrd4; }

public slots:
    void btn19Click(); // Read data
    void btn20Click(); // Filter
    void btn23Click(); // Delete all
    void btn13Click(); // Export.XLS
    void btn18Click(); // Export.CSV

private:
    void buildGrid();

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
};

} // namespace zc

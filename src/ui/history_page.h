// The "History" page `ts3`: the read button and the date and time range of the filter on
// top, the export and delete buttons on the left, the read-only grid `strngrd4`, and the
// history table and transfer behind them.
#pragma once

#include "history/history_inf.h"
#include "history/history_model.h"

#include <QWidget>

class QPushButton;

namespace zc {

class LinkSession;
class Reporter;

class HistoryPage : public QWidget
{
    Q_OBJECT
public:
    HistoryPage(LinkSession &session, Reporter &reporter, QWidget *parent = nullptr);

    HistoryModel &model() { return m_model; }
    THistoryInf &transfer() { return m_historyInf; }
    QList<QPushButton *> deviceControls() const { return m_controls; }

public slots:
    void btn19Click(); // Read data
    void btn20Click(); // Filter
    void btn23Click(); // Delete all

private:
    LinkSession &m_session;
    Reporter &m_reporter;
    HistoryModel m_model;
    THistoryInf m_historyInf;
    QList<QPushButton *> m_controls;
};

} // namespace zc

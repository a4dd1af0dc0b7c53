// The "Telephone" page `ts2`: its seven buttons, the number list grid `strngrd3` with its
// pickers and check columns, and the number list table and transfer behind them.
#pragma once

#include "numbers/numbers_model.h"
#include "numbers/telephone_send.h"

#include <QWidget>

class QPushButton;

namespace zc {

class LinkSession;
class NumberListEditor;
class Reporter;

class NumberListPage : public QWidget
{
    Q_OBJECT
public:
    NumberListPage(LinkSession &session, Reporter &reporter, QWidget *parent = nullptr);

    NumbersModel &model() { return m_model; }
    TtelephoneSend &transfer() { return m_telephoneSend; }
    NumberListEditor *editor() const { return m_editor; }
    QList<QPushButton *> deviceControls() const { return m_controls; }

public slots:
    void btn9Click();  // Save
    void btn10Click(); // Read
    void btn6Click();  // All Always
    void btn7Click();  // Delete all

protected:
    // The wheel anywhere over the page scrolls the grid one row per step.
    void wheelEvent(QWheelEvent *event) override;

private:
    LinkSession &m_session;
    Reporter &m_reporter;
    NumbersModel m_model;
    TtelephoneSend m_telephoneSend;
    NumberListEditor *m_editor = nullptr;
    QList<QPushButton *> m_controls;
};

} // namespace zc

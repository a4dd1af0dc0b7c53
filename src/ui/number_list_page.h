// The "Telephone" page `ts2`: its seven buttons, the find bar, the number list grid
// `strngrd3` with its pickers and check columns, and the number list table and transfer
// behind them. The workbook and text file exports and the workbook import need no link.
// While the page's own transfer runs, every change to the table from this page is refused
// with a status saying why, so the unit gets the table as it was when Save was pressed.
#pragma once

#include "numbers/numbers_model.h"
#include "numbers/telephone_send.h"
#include "ui/device_page.h"
#include "ui/file_dialogs.h"

#include <QWidget>

class QPushButton;

namespace zc {

class LinkSession;
class FindingsBar;
class NumberFindBar;
class NumberListEditor;
class Reporter;
class UnitPages;

class NumberListPage : public QWidget, public DevicePage
{
    Q_OBJECT
public:
    // files and clock may be left empty: QFileDialogs and the local time are used.
    NumberListPage(LinkSession &session, Reporter &reporter, FileDialogs *files = nullptr, Clock clock = {},
                   QWidget *parent = nullptr);

    NumbersModel &model() { return m_model; }
    TtelephoneSend &transfer() override { return m_telephoneSend; }
    QWidget *pageWidget() override { return this; }
    PageUndo *undo() const override;
    void commitEdits() override;
    NumberListEditor *editor() const { return m_editor; }
    NumberFindBar *findBar() const { return m_findBar; }
    FindingsBar *findingsBar() const { return m_findings; }
    // True, with a status saying why, while the page's transfer reads into or saves the table.
    bool refuseEdit();
    QList<QPushButton *> deviceControls() const override { return m_controls; }

public slots:
    void btn9Click();  // Save
    void btn10Click(); // Read
    void btn6Click();  // All Always
    void btn7Click();  // Delete all
    void btn14Click(); // Import .XLS
    void btn15Click(); // Export .XLS
    void btn3Click();  // Export .CSV

protected:
    // The wheel anywhere over the page scrolls the grid one row per step.
    void wheelEvent(QWheelEvent *event) override;

private:
    // Before a save that would replace numbers the user never saw, or remove numbers the
    // unit holds: asks, Cancel by default.
    bool askBeforeLoss();

    LinkSession &m_session;
    Reporter &m_reporter;
    NumbersModel m_model;
    TtelephoneSend m_telephoneSend;
    PageFiles m_files;
    NumberListEditor *m_editor = nullptr;
    NumberFindBar *m_findBar = nullptr;
    FindingsBar *m_findings = nullptr; // the audit's findings above the grid
    UnitPages *m_unitPages = nullptr;  // what the unit holds, as far as is known
    QList<QPushButton *> m_controls;
};

} // namespace zc

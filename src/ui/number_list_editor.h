// The number list grid `strngrd3`: a view and editor over the NumbersModel. The header row
// and the Serial column stay in view as the grid's headers; only Authorized number cells
// are typed into. The four pickers (`dtp_startdate`, `dtp_starttime`, `dtp_enddate`,
// `dtp_endtime`) lie over the current date or time cell of a row that is not always
// allowed; a click on an Always or Delete cell toggles it.
//
// A picker never loses a value: the first keystroke on its cell edits it, Enter, Tab and
// leaving it by any route (a click elsewhere, a scroll, another page, Save) write a value
// the user set into the cell, Escape gives the cell back its text, and a picker that loses
// the focus to anything but the grid hides itself. Only a real change is an edit: a picker
// left with the value it showed leaves its cell as it was (Enter, or a date picked from
// the calendar, takes the shown value), and a value the cell already holds in another form
// (2024-05-06 from a read) is not written again. Whole rows are selected over the Serial
// column; Delete clears them, Ctrl+C copies them and Ctrl+V pastes tab-separated cells.
#pragma once

#include <QDateTime>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QDateTimeEdit;
class QKeyEvent;
class QTableView;
class QWheelEvent;

namespace zc {

class CurrentCellFrame;
class NumbersModel;
class PageUndo;
class Reporter;

// Paints every cell centred on one line, date and time cells that cannot be right on the
// warning background, the Always and Delete cells of entry rows as check boxes, and cells
// changed since the last read or save in bold (check cells with a corner mark).
class NumberListDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setUndo(const PageUndo *undo) { m_undo = undo; }

    // found: per table row, non-zero for the rows a find matches; the vector belongs to the
    // caller and outlives the delegate's use of it.
    void setFound(const std::vector<char> *found) { m_found = found; }

    static QColor warningColour() { return {192, 220, 192}; }
    static QColor foundColour() { return {255, 236, 140}; }
    // Rows whose window has ended: a shade just off the grid's base colour, towards its text,
    // so that they stay quiet and readable under a light or a dark palette.
    static QColor endedColour(const QPalette &palette);
    // Why a cell is drawn as it is, for its tooltip; empty when there is nothing to say.
    QString note(const QModelIndex &index) const;
    // The background a cell is painted on; no brush for the grid's normal colour.
    QBrush background(const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // A typed number reaches the table only when the unit can hold it; otherwise the cell
    // keeps its text and refused receives the reason.
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void setRefused(std::function<void(const QString &)> refused) { m_refused = std::move(refused); }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    bool changed(const QModelIndex &index) const;
    // The time windows are compared with, read at most once a second while painting.
    QDateTime now() const;
    const PageUndo *m_undo = nullptr;
    mutable QDateTime m_now;
    mutable qint64 m_nowRead = -1;
    const std::vector<char> *m_found = nullptr;
    std::function<void(const QString &)> m_refused;
};

class NumberListEditor : public QWidget
{
    Q_OBJECT

public:
    explicit NumberListEditor(NumbersModel *model, QWidget *parent = nullptr);
    ~NumberListEditor() override;

    QTableView *grid() const { return m_grid; }
    NumberListDelegate *delegate() const { return m_delegate; }
    // Undo of the list's cell edits, picker values, check toggles, imports and reads; change marks.
    PageUndo *undo() const { return m_undo; }
    // The picker of a date or time column (2..5), nullptr for any other column.
    QDateTimeEdit *picker(int column) const;

    // Scrolls the grid one row per wheel step: down for a negative delta, up otherwise.
    void wheelScroll(QWheelEvent *event);

    // Shows the picker of the current cell's column over it (loaded from the cell when the
    // cell reads as a date or time) and hides the others; called whenever the current
    // cell, the cells or their places change.
    void updatePickers();
    // Keeps the shown picker over its cell while the cells move.
    void placePicker();
    // After Enter or Escape the cell shows its text: its picker is put away until the cell is
    // edited again (a key, F2, a double click, or a click on it) or another cell is chosen.
    void putPickerAway();
    void recallPicker();

    // guard() is asked before any change to the table from the grid; true refuses it (the
    // guard says why). The page refuses while its transfer runs.
    void setEditGuard(std::function<bool()> guard) { m_guard = std::move(guard); }
    bool editRefused() const { return m_guard && m_guard(); }
    // Where a refused paste is explained and a done one reported.
    void setReporter(Reporter *reporter) { m_reporter = reporter; }

    // Writes the value of the picker being edited into its cell; nothing when none is.
    void commitPicker();
    // The entry rows wholly selected and in view, ascending.
    QList<int> selectedRows() const;
    // Delete: whole selected rows lose number, dates and times and become Always "no";
    // without whole rows the selected number, date and time cells are emptied. One undo step.
    void deleteSelection();
    // Ctrl+C: the selected whole rows as eight tab-separated columns, or else the block of
    // selected cells.
    void copySelection();
    // Ctrl+V: the clipboard's cells, checked as a whole (see NumbersPaste). True when pasted;
    // a refused paste shows the first row it names.
    bool paste();
    // Makes the row's number cell the current cell, in view.
    void showRow(int row);
    // A scroll leaves the picker being edited: its value goes into its cell and the grid
    // takes the focus.
    void leavePicker();
    // The picker's next cell: the next (or previous) column, then the next row in view.
    void stepCurrent(bool forward);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool pickerEvent(QDateTimeEdit *picker, QEvent *event);
    // False when the text does not read as a date or time the picker can show.
    bool loadPicker(QDateTimeEdit *picker, int column, const QString &text);
    // An unfocused picker over a cell it could not load from (an empty one, most often)
    // shows its last value greyed: the cell does not hold it.
    void showMuted(QDateTimeEdit *picker, bool muted);
    // Writes a picker's value into the cell it lies over, as yyyy-MM-dd or HH:mm.
    void writeBack(int column);
    void cellClicked(const QModelIndex &index);
    void beginPickerEdit(QDateTimeEdit *picker);
    // Escape in a picker: its cell and the picker get back what they held when it took the focus.
    void revertPicker();
    // A date typed whole into a date picker, in any form users type (2024/05/06, 20240506,
    // 2024-05-06, 06.05.2024): keys that build it are kept apart from the picker's sections.
    bool typeDate(QDateTimeEdit *picker, const QKeyEvent *key);
    // Writes the typed date into the cell, or says why it is none and keeps the cell's date.
    void commitTypedDate(QDateTimeEdit *picker);

    NumbersModel *m_model;
    QTableView *m_grid;
    NumberListDelegate *m_delegate;
    std::array<QDateTimeEdit *, 4> m_pickers{};
    QPersistentModelIndex m_pickerCell; // the cell the visible picker lies over
    QPersistentModelIndex m_putAway;    // the current cell whose picker Enter or Escape put away
    bool m_editing = false;             // a picker has the focus and its edit is open
    QString m_pickerOriginal;           // the cell's text when the picker took the focus
    QDateTime m_pickerValueBefore;      // the picker's value then
    QString m_typedDate;                // a date being typed whole into the picker
    bool m_pickerTouched = false;       // the user changed or confirmed the picker's value since
    int m_wheelRest = 0;                // wheel delta short of a whole step
    PageUndo *m_undo = nullptr;
    bool m_marksFollowCells = false; // the undo is taking a change of cells the grid repaints itself
    CurrentCellFrame *m_frame = nullptr;
    std::function<bool()> m_guard;
    Reporter *m_reporter = nullptr;
    QPalette m_pickerPalette;
};

} // namespace zc

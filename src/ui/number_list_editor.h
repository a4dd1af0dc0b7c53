// The number list grid `strngrd3`: a view and editor over the NumbersModel. The header row
// and the Serial column stay in view as the grid's headers; only Authorized number cells
// are typed into. The four pickers (`dtp_startdate`, `dtp_starttime`, `dtp_enddate`,
// `dtp_endtime`) lie over the current date or time cell of a row that is not always
// allowed and write their value into it when they lose the focus; a click on an Always or
// Delete cell toggles it.
#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QWidget>

#include <array>

class QDateTimeEdit;
class QTableView;
class QWheelEvent;

namespace zc {

class CurrentCellFrame;
class NumbersModel;
class PageUndo;

// Paints every cell centred on one line, date and time cells that cannot be right on the
// warning background, the Always and Delete cells of entry rows as check boxes, and cells
// changed since the last read or save in bold (check cells with a corner mark).
class NumberListDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setUndo(const PageUndo *undo) { m_undo = undo; }

    static QColor warningColour() { return {192, 220, 192}; }
    // The background a cell is painted on; no brush for the grid's normal colour.
    QBrush background(const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    bool changed(const QModelIndex &index) const;
    const PageUndo *m_undo = nullptr;
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadPicker(QDateTimeEdit *picker, int column, const QString &text);
    // Writes a picker's value into the cell it lies over, as yyyy/MM/dd or HH:mm.
    void writeBack(int column);
    void cellClicked(const QModelIndex &index);
    // Escape in a picker: its cell gets back the text it had when the picker took the focus.
    void revertPicker();

    NumbersModel *m_model;
    QTableView *m_grid;
    NumberListDelegate *m_delegate;
    std::array<QDateTimeEdit *, 4> m_pickers{};
    QPersistentModelIndex m_pickerCell; // the cell the visible picker lies over
    QString m_pickerOriginal;           // its text when the picker took the focus
    bool m_reverting = false;
    int m_wheelRest = 0;                // wheel delta short of a whole step
    PageUndo *m_undo = nullptr;
    CurrentCellFrame *m_frame = nullptr;
};

} // namespace zc

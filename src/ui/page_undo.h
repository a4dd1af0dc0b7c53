// Undo and redo of one page's table, and which of its cells changed since the last read or
// save. It keeps a copy of the table, so every change the model announces becomes an undo
// step of (cell, text before, text after) whatever made it: a typed cell, a pick list, a
// check box, an import, a read. Changes are grouped into steps:
//  - all pages written by one read make one step;
//  - the keystrokes of one cell editor make one step, and a step that ends where it began
//    (Escape in the editor) is dropped;
//  - everything changed within one pass of the event loop (an import, "All Always") makes
//    one step.
#pragma once

#include "link/paged_transfer.h"

#include <QObject>
#include <QUndoStack>

#include <functional>
#include <vector>

namespace zc {

class PageUndo : public QObject
{
    Q_OBJECT
public:
    // The table as undo sees it: texts by row and column. Columns past the model's may carry
    // state that is not a cell (a pick list's selection).
    struct Table
    {
        int rows = 0;
        int columns = 0;
        std::function<QString(int, int)> text;
        std::function<void(int, int, const QString &)> setText;
    };

    explicit PageUndo(Table table, QObject *parent = nullptr);

    QUndoStack *stack() { return &m_stack; }

    // The cells of this block may have changed.
    void cellsChanged(int top, int left, int bottom, int right);
    void allChanged() { cellsChanged(0, 0, m_table.rows - 1, m_table.columns - 1); }
    // Follows the page's transfer: a read's pages make one step; a finished read or save is
    // the table's new unchanged state.
    void follow(Tsend_rec_command &transfer);
    // A cell editor opened on (row, column), or closed.
    void editStarted(int row, int column);
    void editEnded();
    // Runs change so that what it changes joins the last step.
    void joinLast(const std::function<void()> &change);

    // Differs from the table as last read from or saved to the unit (or as at start-up).
    bool isChanged(int row, int column) const;
    bool hasChanges() const;
    void markUnchanged();

    // Writes the texts of an undo or redo step (called by the steps themselves).
    struct Change
    {
        int cell;
        QString before;
        QString after;
    };
    void apply(const std::vector<Change> &changes, bool after);

signals:
    // The change marks need repainting.
    void marksChanged();
    // An undo or redo rewrote cells; (row, column) is the first of them.
    void restored(int row, int column);

private:
    int newKey() { return m_nextKey++; }
    int burstKey();
    int topKey() const;

    Table m_table;
    QUndoStack m_stack;
    std::vector<QString> m_shadow;   // the table as last seen
    std::vector<QString> m_baseline; // the table as last read or saved
    bool m_applying = false;
    bool m_joining = false;
    bool m_decoding = false;
    int m_nextKey = 1;
    int m_readKey = 0;
    int m_burstKey = 0;
    int m_editKey = 0;
    int m_editRow = -1;
    int m_editColumn = -1;
};

} // namespace zc

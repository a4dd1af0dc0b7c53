// Fills a sheet from a file while keeping it within the sizes a reader accepts, so a small
// file that claims a million rows or repeats one cell a million times is refused instead
// of filling memory.
#pragma once

#include "sheets/sheet.h"

#include <QString>

namespace zc {

class SheetFiller
{
public:
    static constexpr int MaxRows = 100000, MaxColumns = 1000, MaxCells = 250000;
    // The most characters a spreadsheet program puts in one cell.
    static constexpr int MaxCellChars = 32767;

    explicit SheetFiller(Sheet &sheet) : m_sheet(sheet) {}

    // Puts a non-empty text (or a formula without value) at (row, column), counted from 1. false once a limit
    // is passed; error() then says which.
    bool add(qint64 row, qint64 column, const QString &text, CellKind kind = CellKind::Text)
    {
        // A formula without a saved value is kept, empty, so the importers can tell it apart.
        if (text.isEmpty() && kind != CellKind::Formula) return true;
        if (row < 1 || column < 1 || row > MaxRows || column > MaxColumns) {
            m_error =
                QStringLiteral("the sheet is too large (it has a cell at row %1, column %2; at most %3 rows "
                               "and %4 columns can be read)")
                    .arg(row)
                    .arg(column)
                    .arg(MaxRows)
                    .arg(MaxColumns);
            return false;
        }
        if (text.size() > MaxCellChars) {
            m_error = QStringLiteral("a cell at row %1, column %2 holds more than %3 characters")
                          .arg(row)
                          .arg(column)
                          .arg(MaxCellChars);
            return false;
        }
        if (m_sheet.cellCount() >= MaxCells || int(m_sheet.kinds().size()) >= MaxCells) {
            m_error = QStringLiteral("the sheet holds more than %1 cells").arg(MaxCells);
            return false;
        }
        m_sheet.setText(int(row), int(column), text, kind);
        return true;
    }
    const QString &error() const { return m_error; }

private:
    Sheet &m_sheet;
    QString m_error;
};

} // namespace zc

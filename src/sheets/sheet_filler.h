// Fills a sheet from a file while keeping it within the sizes a reader accepts, so a small
// file that claims a million rows, repeats one cell a million times or packs a run of
// spaces into a few bytes is refused instead of filling memory. Readers count what they
// are about to expand (repeats, space runs, shared texts) against these limits first.
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
    // The most characters of text a sheet may hold in all (each distinct text counted once).
    static constexpr qint64 MaxTextChars = qint64(1) << 24;
    // The most shared texts a workbook may list.
    static constexpr int MaxSharedTexts = 1000000;

    explicit SheetFiller(Sheet &sheet) : m_sheet(sheet) {}

    // 32767 -> "32 767".
    static QString grouped(qint64 n)
    {
        QString digits = QString::number(n);
        for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
            digits.insert(at, QLatin1Char(' '));
        return digits;
    }
    static QString cellTooLong(qint64 row, qint64 column)
    {
        return QStringLiteral("a cell longer than %1 characters (row %2, column %3)")
            .arg(grouped(MaxCellChars))
            .arg(row)
            .arg(column);
    }
    static QString tooManyCells() { return QStringLiteral("more than %1 cells").arg(grouped(MaxCells)); }

    // Puts a non-empty text (or a formula without value) at (row, column), counted from 1.
    // false once a limit is passed; error() then says which.
    bool add(qint64 row, qint64 column, const QString &text, CellKind kind = CellKind::Text)
    {
        // A formula without a saved value is kept, empty, so the importers can tell it apart.
        if (text.isEmpty() && kind != CellKind::Formula) return true;
        if (row < 1 || column < 1 || row > MaxRows || column > MaxColumns)
            return fail(
                QStringLiteral("the sheet is too large (it has a cell at row %1, column %2; at most %3 rows "
                               "and %4 columns can be read)")
                    .arg(row)
                    .arg(column)
                    .arg(MaxRows)
                    .arg(MaxColumns));
        if (text.size() > MaxCellChars) return fail(cellTooLong(row, column));
        if (m_sheet.cellCount() >= MaxCells || int(m_sheet.kinds().size()) >= MaxCells)
            return fail(QStringLiteral("the sheet holds ") + tooManyCells());
        m_sheet.setText(int(row), int(column), text, kind);
        return true;
    }
    // Counts `cells` more cells that a reader is about to put; false when they would pass
    // the limit.
    bool expect(qint64 cells)
    {
        if (cells > MaxCells - qint64(m_sheet.cellCount()))
            return fail(QStringLiteral("the sheet holds ") + tooManyCells());
        return true;
    }
    // Counts the characters of a text a reader has made and keeps; false past the limit.
    bool spend(qint64 chars)
    {
        m_chars += chars;
        if (m_chars > MaxTextChars)
            return fail(
                QStringLiteral("the sheet holds more than %1 characters of text").arg(grouped(MaxTextChars)));
        return true;
    }
    bool fail(const QString &why)
    {
        if (m_error.isEmpty()) m_error = why;
        return false;
    }
    bool failed() const { return !m_error.isEmpty(); }
    const QString &error() const { return m_error; }

private:
    Sheet &m_sheet;
    QString m_error;
    qint64 m_chars = 0;
};

} // namespace zc

// The texts a user sees for the values that workbook files store: numbers, dates, times
// and truth values. Shared by the .xlsx, .ods and .xls readers so that every format gives
// the same text for the same cell.
#pragma once

#include <QString>

namespace zc::CellText {

// Whole numbers in full without exponent or ".0" (8530, 123456789012345); other numbers
// with up to 15 significant digits, as a spreadsheet shows them (2.5, 0.1).
QString number(double value);

// What a grid cell shows of a text: at most the first 200 characters and "...". Laying out
// a text of 100 kB in every repaint would freeze the window; the table keeps it whole.
inline QString shown(const QString &text)
{
    constexpr int kShown = 200;
    return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("...");
}

enum class DateKind { None, Date, Time, DateTime };

// What a number format code ("yyyy-mm-dd", "h:mm AM/PM", "0.00") shows of a number.
DateKind formatKind(const QString &formatCode);
// The same for Excel's built-in number format ids (14 = date, 20 = time, ...).
DateKind builtinFormatKind(int formatId);

// A date/time serial number (days since the workbook's epoch, fraction = time of day) as
// "yyyy/MM/dd", "HH:mm" or "yyyy/MM/dd HH:mm"; falls back to number() when the serial is
// no date. date1904 selects the 1904 epoch some Mac workbooks use.
QString fromSerial(double serial, DateKind kind, bool date1904 = false);

// ISO texts as the files store them ("2026-12-06", "2026-12-06T10:15:00", "10:15:00",
// "PT10H15M00S") in the same forms; the original text when it cannot be parsed.
QString fromIsoDate(const QString &iso);
QString fromIsoTime(const QString &iso);

// The most significant digits a spreadsheet keeps of a number.
inline constexpr int kKeptDigits = 15;

// "" or, for the text of a number cell holding a whole number of more than 15 digits, why
// it cannot be taken: the spreadsheet kept only its first 15 digits, so the rest are not
// what was typed (a 18-digit phone number comes back as 491701234567889984).
QString precisionLost(const QString &numberText);

inline QString truth(bool value)
{
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

} // namespace zc::CellText

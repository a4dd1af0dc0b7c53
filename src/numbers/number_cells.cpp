#include "numbers/number_cells.h"

#include "link/digits.h"

namespace zc::NumberCells {

std::optional<Date> readDate(const QString &text)
{
    if (text.size() != 10) return std::nullopt;
    const QStringView t(text);
    const QStringView year = t.mid(2, 2), month = t.mid(5, 2), day = t.right(2);
    if (!isDigits(year) || !isDigits(month) || !isDigits(day)) return std::nullopt;
    return Date{year.toInt(), month.toInt(), day.toInt()};
}

std::optional<Time> readTime(const QString &text)
{
    // Five characters are read by position, whatever separates them ("08:30", "08.30"), the
    // way a workbook import checks them; other lengths by the ":" ("8:5").
    const QStringView t(text);
    if (text.size() == 5 && isDigits(t.left(2)) && isDigits(t.right(2)))
        return Time{t.left(2).toInt(), t.right(2).toInt()};
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) return std::nullopt;
    const QStringView hour = t.left(colon), minute = t.mid(colon + 1);
    if (!isDigits(hour) || !isDigits(minute) || minute.size() > 2) return std::nullopt;
    bool ok = false;
    const int h = hour.toInt(&ok);
    if (!ok || h > 0xFF) return std::nullopt;
    return Time{h, minute.toInt()};
}

} // namespace zc::NumberCells

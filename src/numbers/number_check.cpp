#include "numbers/number_check.h"

#include "link/device_text.h"
#include "link/digits.h"
#include "numbers/number_cells.h"

#include <algorithm>

namespace zc::NumberCheck {

namespace {

using CheckCell::kYes;

QString quotedCell(int column, const QString &text)
{
    return QStringLiteral("%1 \"%2\"").arg(NumberColumn::name(column), DeviceText::printable(text.left(40)));
}

int digitsAt(QStringView text, int from, int count)
{
    const QStringView part = text.mid(from, count);
    return part.size() == count && isDigits(part) ? part.toInt() : -1;
}

std::optional<QDate> keptDate(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid() || year < kFirstYear || year > kLastYear) return std::nullopt;
    return date;
}

// A window edge as one comparable value: minutes since 2000-01-01.
std::optional<qint64> edgeOf(const QString &date, const QString &time)
{
    const auto d = dateOf(date);
    const auto t = NumberCells::readTime(time);
    if (!d || !t || t->hour > 23 || t->minute > 59) return std::nullopt;
    return QDate(kFirstYear, 1, 1).daysTo(*d) * 1440 + t->hour * 60 + t->minute;
}

} // namespace

std::optional<QDate> dateOf(const QString &text)
{
    if (text.size() != 10 || !NumberCells::readDate(text)) return std::nullopt;
    return keptDate(digitsAt(text, 0, 4), digitsAt(text, 5, 2), digitsAt(text, 8, 2));
}

QString cellRefusal(int column, const QString &text)
{
    using namespace NumberColumn;
    if (text.isEmpty()) return {};
    if (column == Number) {
        if (!std::all_of(text.begin(), text.end(), [](QChar c) { return isPhoneChar(c.unicode()); }))
            return quotedCell(column, text) + QStringLiteral(": a number holds only \"+\" and digits");
        const int width = NumberEntry::numberField().width;
        if (text.size() > width)
            return QStringLiteral("the number has %1 characters, an entry holds %2")
                .arg(text.size())
                .arg(width);
        return {};
    }
    if (NumberEntry::isDateColumn(column)) {
        const auto d = NumberCells::readDate(text);
        if (!d) return quotedCell(column, text) + QStringLiteral(": not a date like 2024/05/06");
        const int year = digitsAt(text, 0, 4);
        if (year < kFirstYear || year > kLastYear)
            return quotedCell(column, text) +
                   QStringLiteral(": the unit keeps years %1 to %2").arg(kFirstYear).arg(kLastYear);
        if (!dateOf(text)) return quotedCell(column, text) + QStringLiteral(": there is no such day");
        return {};
    }
    if (NumberEntry::isTimeColumn(column)) {
        const auto t = NumberCells::readTime(text);
        if (!t) return quotedCell(column, text) + QStringLiteral(": not a time like 07:30");
        if (t->hour > 23 || t->minute > 59)
            return quotedCell(column, text) + QStringLiteral(": a time runs from 00:00 to 23:59");
        return {};
    }
    return {};
}

QStringList rowRefusals(const NumberRow &row)
{
    using namespace NumberColumn;
    QStringList reasons;
    if (row[Delete] == kYes) return reasons;
    if (QString r = cellRefusal(Number, row[Number]); !r.isEmpty()) reasons << r;
    if (row[Always] == kYes) return reasons;
    for (int c = StartDate; c <= EndTime; ++c)
        if (QString r = cellRefusal(c, row[c]); !r.isEmpty()) reasons << r;
    const auto start = edgeOf(row[StartDate], row[StartTime]);
    const auto end = edgeOf(row[EndDate], row[EndTime]);
    if (start && end && *end < *start)
        reasons << QStringLiteral("the window ends (%1 %2) before it starts (%3 %4)")
                       .arg(row[EndDate], row[EndTime], row[StartDate], row[StartTime]);
    return reasons;
}

std::optional<QString> typedDate(const QString &input)
{
    const QString text = input.trimmed();
    std::optional<QDate> date;
    const auto separatorsAt = [&text](int a, int b, QStringView allowed) {
        return allowed.contains(text.at(a)) && text.at(b) == text.at(a);
    };
    if (text.size() == 8) {
        date = keptDate(digitsAt(text, 0, 4), digitsAt(text, 4, 2), digitsAt(text, 6, 2));
    } else if (text.size() == 10 && separatorsAt(4, 7, u"-/")) {
        date = keptDate(digitsAt(text, 0, 4), digitsAt(text, 5, 2), digitsAt(text, 8, 2));
    } else if (text.size() == 10 && separatorsAt(2, 5, u".")) {
        date = keptDate(digitsAt(text, 6, 4), digitsAt(text, 3, 2), digitsAt(text, 0, 2));
    }
    if (!date) return std::nullopt;
    return date->toString(QStringLiteral("yyyy-MM-dd"));
}

bool hasSeconds(const QString &input)
{
    const QString text = input.trimmed();
    const qsizetype colon = text.indexOf(u':');
    return colon > 0 && colon <= 2 && text.size() - colon - 1 == 5 && text.at(colon + 3) == u':' &&
           digitsAt(text, int(colon) + 4, 2) > 0;
}

std::optional<QString> typedTime(const QString &input)
{
    const QString text = input.trimmed();
    int hour = -1, minute = -1;
    const qsizetype colon = text.indexOf(u':');
    // A spreadsheet's time (06:00:00) is a time the unit keeps when its seconds are 00.
    if (colon > 0 && colon <= 2 && text.size() - colon - 1 == 5 && text.at(colon + 3) == u':') {
        if (text.mid(colon + 4) != QLatin1String("00")) return std::nullopt;
        return typedTime(text.left(colon + 3));
    }
    if (colon > 0 && colon <= 2 && text.size() - colon - 1 == 2) {
        hour = digitsAt(text, 0, int(colon));
        minute = digitsAt(text, int(colon) + 1, 2);
    } else if (text.size() == 4) {
        hour = digitsAt(text, 0, 2);
        minute = digitsAt(text, 2, 2);
    }
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return std::nullopt;
    return QString::asprintf("%02d:%02d", hour, minute);
}

} // namespace zc::NumberCheck

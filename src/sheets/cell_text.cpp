#include "sheets/cell_text.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

#include <cmath>

namespace zc::CellText {

namespace {

const QString kDate = QStringLiteral("yyyy/MM/dd");
const QString kTime = QStringLiteral("HH:mm");

QString dateTimeText(const QDate &date, int minutes, DateKind kind)
{
    const QString time = QTime(minutes / 60, minutes % 60).toString(kTime);
    switch (kind) {
    case DateKind::Date:
        return date.toString(kDate);
    case DateKind::Time:
        return time;
    default:
        return date.toString(kDate) + QLatin1Char(' ') + time;
    }
}

} // namespace

QString number(double value)
{
    if (!std::isfinite(value)) return QString::number(value);
    if (value == std::trunc(value)) return QString::number(value == 0 ? 0.0 : value, 'f', 0);
    return QString::number(value, 'g', 15);
}

QString precisionLost(const QString &numberText)
{
    const QStringView digits = QStringView(numberText).mid(numberText.startsWith(QLatin1Char('-')) ? 1 : 0);
    if (digits.size() <= kKeptDigits) return {};
    for (QChar c : digits)
        if (!c.isDigit()) return {};
    return QStringLiteral("a number cell of more than %1 digits (%2): a spreadsheet keeps only %1, so the "
                          "rest are not what was typed; enter it as text")
        .arg(kKeptDigits)
        .arg(numberText);
}

DateKind formatKind(const QString &formatCode)
{
    // Only the first section (positive numbers) matters; quoted text, escaped characters,
    // fill/padding pairs and [colour]/[$locale] tags show no date part. [h], [mm] and [ss]
    // are elapsed times.
    bool date = false, time = false, month = false;
    for (qsizetype i = 0; i < formatCode.size(); ++i) {
        const QChar c = formatCode.at(i).toLower();
        if (c == QLatin1Char(';')) break;
        if (c == QLatin1Char('"')) {
            i = formatCode.indexOf(QLatin1Char('"'), i + 1);
            if (i < 0) break;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            const qsizetype end = formatCode.indexOf(QLatin1Char(']'), i + 1);
            if (end < 0) break;
            const QString tag = formatCode.mid(i + 1, end - i - 1).toLower();
            if (!tag.isEmpty() && tag.count(tag.at(0)) == tag.size() &&
                QStringLiteral("hms").contains(tag.at(0)))
                time = true;
            i = end;
        } else if (c == QLatin1Char('y') || c == QLatin1Char('d')) {
            date = true;
        } else if (c == QLatin1Char('h') || c == QLatin1Char('s')) {
            time = true;
        } else if (c == QLatin1Char('m')) {
            month = true;
        }
    }
    if (month && !time) date = true; // "mmm yy"; with hours or seconds m means minutes
    return date && time ? DateKind::DateTime : date ? DateKind::Date : time ? DateKind::Time : DateKind::None;
}

DateKind builtinFormatKind(int id)
{
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) || (id >= 50 && id <= 58))
        return DateKind::Date;
    if ((id >= 18 && id <= 21) || (id >= 32 && id <= 33) || (id >= 45 && id <= 47)) return DateKind::Time;
    if (id == 22) return DateKind::DateTime;
    return DateKind::None;
}

QString fromSerial(double serial, DateKind kind, bool date1904)
{
    // 2958465 is 9999-12-31, the last day a spreadsheet shows.
    if (kind == DateKind::None || !std::isfinite(serial) || serial < 0 || serial >= 2958466)
        return number(serial);
    // Round to the second first, so 10:15 stored as 0.42708333... stays 10:15.
    const qint64 seconds = qint64(std::llround(serial * 86400.0));
    qint64 days = seconds / 86400;
    const int minutes = int(seconds % 86400 / 60);
    QDate epoch = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    // The 1900 system counts a 29 February 1900 that never was: serials below 61 are a day later.
    if (!date1904 && days < 61) epoch = QDate(1899, 12, 31);
    return dateTimeText(epoch.addDays(days), minutes, kind);
}

QString fromIsoDate(const QString &iso)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})(?:[T ](\d{2}):(\d{2})(?::(\d{2})(?:\.\d*)?)?)?)"));
    const auto m = re.match(iso);
    const QDate date =
        m.hasMatch() ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()) : QDate();
    if (!date.isValid()) return iso;
    if (!m.hasCaptured(4)) return date.toString(kDate);
    const int minutes = m.captured(4).toInt() * 60 + m.captured(5).toInt();
    return minutes < 24 * 60 ? dateTimeText(date, minutes, DateKind::DateTime) : iso;
}

QString fromIsoTime(const QString &iso)
{
    // "PT10H15M00S" (days and fractions of seconds allowed) or "10:15:00".
    static const QRegularExpression duration(
        QStringLiteral(R"(^P(?:(\d+)D)?T(?:(\d+)H)?(?:(\d+)M)?(?:(\d+)(?:\.\d*)?S)?$)"));
    static const QRegularExpression clock(QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::\d{2}(?:\.\d*)?)?$)"));
    if (const auto m = duration.match(iso); m.hasMatch()) {
        const qint64 minutes =
            m.captured(1).toLongLong() * 1440 + m.captured(2).toLongLong() * 60 + m.captured(3).toLongLong();
        return dateTimeText({}, int(minutes % 1440), DateKind::Time);
    }
    if (const auto m = clock.match(iso); m.hasMatch() && m.captured(1).toInt() < 24)
        return dateTimeText({}, m.captured(1).toInt() * 60 + m.captured(2).toInt(), DateKind::Time);
    return iso;
}

} // namespace zc::CellText

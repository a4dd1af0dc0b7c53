#include "history/history_codec.h"

#include "history/history_record.h"
#include "link/device_text.h"
#include "link/digits.h"

#include <QByteArray>

#include <algorithm>
#include <array>

namespace zc::HistoryCodec {

namespace {

using HistoryRecord::Field;
using HistoryRecord::kNoValue;
using HistoryRecord::layout;

std::uint8_t byteAt(const std::uint8_t *record, Field f)
{
    return record[layout(f).offset];
}

QString numberText(const std::uint8_t *record)
{
    const auto &f = layout(Field::Number);
    std::uint32_t value = 0;
    bool unset = true;
    for (int i = 0; i < f.width; ++i) {
        const std::uint8_t b = record[f.offset + i];
        value |= std::uint32_t(b) << (8 * i);
        unset = unset && b == kNoValue;
    }
    return unset ? QString() : QString::number(std::int32_t(value));
}

// Three byte values joined by sep, each written with at least two digits; empty when any
// of them is unset.
QString joinedParts(const std::uint8_t *record, std::array<Field, 3> parts, QChar sep)
{
    QString out;
    for (Field f : parts) {
        const std::uint8_t v = byteAt(record, f);
        if (v == kNoValue) return {};
        if (!out.isEmpty()) out += sep;
        if (v < 10) out += u'0';
        out += QString::number(v);
    }
    return out;
}

// The bytes of a text field up to where it ends, as the device text they stand for.
QString fieldText(const std::uint8_t *record, Field field)
{
    const auto &f = layout(field);
    const std::uint8_t *begin = record + f.offset, *end = begin + f.width;
    const std::uint8_t *stop = f.kind == HistoryRecord::Kind::Digits
                                   ? std::find_if(begin, end, [](std::uint8_t b) { return !isPhoneChar(b); })
                                   : std::find(begin, end, std::uint8_t(0));
    return DeviceText::fromBytes(QByteArray(reinterpret_cast<const char *>(begin), stop - begin));
}

// Digits at fixed positions of a text already checked to be long enough.
bool isDigits(const QString &text, qsizetype from, qsizetype count)
{
    return zc::isDigits(QStringView(text).mid(from, count));
}

// The number at fixed positions of a text already checked to hold digits there.
int number(const QString &text, qsizetype from, qsizetype count)
{
    return QStringView(text).mid(from, count).toInt();
}

} // namespace

DecodedRecord decodeRecord(const std::uint8_t *record)
{
    DecodedRecord out;
    const auto cell = [&out](int column) -> QString & { return out.cells[column - 1]; };
    if (byteAt(record, Field::Year) == HistoryRecord::kEmptySlotYear) {
        out.emptySlot = true;
        return out;
    }
    cell(HistoryModel::NumberColumn) = numberText(record);
    const QString date = joinedParts(record, {Field::Year, Field::Month, Field::Day}, u'-');
    if (!date.isEmpty()) cell(HistoryModel::DateColumn) = QStringLiteral("20") + date;
    cell(HistoryModel::TimeColumn) = joinedParts(record, {Field::Hour, Field::Minute, Field::Second}, u':');

    const std::uint8_t source = byteAt(record, Field::Source), action = byteAt(record, Field::Action);
    if (source < std::size(HistoryRecord::kSourceTexts))
        cell(HistoryModel::FromColumn) = QString::fromLatin1(HistoryRecord::kSourceTexts[source]);
    if (action < std::size(HistoryRecord::kActionTexts)) {
        const auto &a = HistoryRecord::kActionTexts[action];
        cell(HistoryModel::ActionColumn) = QString::fromLatin1(a.action);
        if (a.from) cell(HistoryModel::FromColumn) = QString::fromLatin1(a.from);
    }
    cell(HistoryModel::ExecutantColumn) = fieldText(record, Field::Executant);
    cell(HistoryModel::ContentColumn) = fieldText(record, Field::Content);
    return out;
}

int decodePage(std::int32_t replyAddress, std::span<const std::uint8_t> payload, HistoryModel &model)
{
    using namespace HistoryRecord;
    if (replyAddress < kHistoryBase) return 0;
    const std::int64_t page = (std::int64_t(replyAddress) - kHistoryBase) / kPageSize; // 0-based
    if (page >= kHistoryPages) return 0;
    const int firstRow = int(page) * kPerPage + 1;

    std::array<HistoryModel::Record, kPerPage> rows;
    int count = 0;
    for (; count < kPerPage && payload.size() >= std::size_t(count + 1) * kSize; ++count) {
        DecodedRecord d = decodeRecord(payload.data() + count * kSize);
        if (d.emptySlot)
            d.cells[HistoryModel::ContentColumn - 1] =
                model.text(firstRow + count, HistoryModel::ContentColumn);
        rows[count] = std::move(d.cells);
    }
    model.setRecords(firstRow, std::span(rows.data(), count));
    return count;
}

int FinishHistoryRead(HistoryModel &model)
{
    QList<HistoryModel::Record> kept;
    for (int row = HistoryModel::FirstRecordRow; row <= HistoryModel::LastRecordRow; ++row) {
        if (model.text(row, HistoryModel::NumberColumn).isEmpty()) continue;
        // The year is read from the first four characters alone, so a year byte of 100 or
        // more ("20115-03-02") counts as 2011 and stays; a row without a date goes.
        const QString date = model.text(row, HistoryModel::DateColumn);
        if (date.size() >= 4 && isDigits(date, 0, 4) && number(date, 0, 4) < HistoryRecord::kFirstDroppedYear)
            kept << model.record(row);
    }
    model.replaceRecords(kept);
    return int(kept.size());
}

std::optional<DateParts> parseDate(const QString &text)
{
    if (text.size() != 10 || text.at(4) != u'-' || text.at(7) != u'-' || !isDigits(text, 0, 4) ||
        !isDigits(text, 5, 2) || !isDigits(text, 8, 2))
        return std::nullopt;
    return DateParts{number(text, 0, 4), number(text, 5, 2), number(text, 8, 2)};
}

std::optional<TimeParts> parseTime(const QString &text)
{
    if (text.size() != 8 || text.at(2) != u':' || text.at(5) != u':' || !isDigits(text, 0, 2) ||
        !isDigits(text, 3, 2) || !isDigits(text, 6, 2))
        return std::nullopt;
    return TimeParts{number(text, 0, 2), number(text, 3, 2), number(text, 6, 2)};
}

} // namespace zc::HistoryCodec

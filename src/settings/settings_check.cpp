#include "settings/settings_check.h"

#include "link/device_text.h"
#include "link/digits.h"
#include "settings/settings_items.h"

#include <QStringList>

#include <algorithm>

namespace zc::SettingsCheck {

namespace {

using SettingsItems::Kind;

constexpr int kQuoted = 40; // characters of a text quoted in a message

Stored refused(int item, const QString &why)
{
    return {{}, itemName(item) + QStringLiteral(": ") + why};
}

// Whole decimal number: an optional sign followed by at least one digit, nothing else.
bool isWholeNumber(const QString &t)
{
    const qsizetype i = (t.startsWith(u'+') || t.startsWith(u'-')) ? 1 : 0;
    return isDigits(QStringView(t).mid(i));
}

// The first character the unit cannot show in a text: below 0x20, or DEL.
int controlCharacter(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return c.unicode();
    return -1;
}

} // namespace

QString quoted(const QString &text)
{
    const QString shown = DeviceText::printable(text.left(kQuoted));
    return text.size() > kQuoted ? u'"' + shown + QStringLiteral("...\"") : u'"' + shown + u'"';
}

bool takesCountryCode(int item)
{
    return item == 2;
}

namespace {

Stored storeDigits(const SettingsItems::Item &it, const QString &text)
{
    QByteArray bytes(it.width, char(0xFF));
    if (text.isEmpty()) return {bytes, {}};
    // The SIM number may start with a country code's "+"; nothing else but digits.
    const bool plus = takesCountryCode(it.number) && text.startsWith(u'+');
    if (!std::all_of(text.begin() + (plus ? 1 : 0), text.end(), [](QChar c) { return isDigit(c.unicode()); }))
        return refused(it.number,
                       quoted(text) + (takesCountryCode(it.number)
                                           ? QStringLiteral(" holds more than a leading \"+\" and digits")
                                           : QStringLiteral(" holds more than digits")));
    if (text.size() > it.width)
        return refused(it.number, QStringLiteral("%1 has %2 characters; the unit keeps at most %3")
                                      .arg(quoted(text))
                                      .arg(text.size())
                                      .arg(it.width));
    bytes.replace(0, text.size(), text.toLatin1());
    if (text.size() < it.width) bytes[text.size()] = 0x00;
    return {bytes, {}};
}

Stored storeText(const SettingsItems::Item &it, const QString &text, Cut cut)
{
    if (const int c = controlCharacter(text); c >= 0)
        return refused(it.number,
                       QStringLiteral("%1 holds the control character 0x%2, which the unit cannot show")
                           .arg(quoted(text))
                           .arg(c, 2, 16, QLatin1Char('0')));
    const QByteArray all = DeviceText::toBytes(text);
    if (all.size() > it.width && cut == Cut::Refuse)
        return refused(it.number, QStringLiteral("%1 takes %2 bytes; the unit keeps at most %3")
                                      .arg(quoted(text))
                                      .arg(all.size())
                                      .arg(it.width));
    const QByteArray kept = DeviceText::toBytesCut(text, it.width);
    const bool terminated = it.kind == Kind::LongText;
    // A plain text ends at the first 0xFF byte on the unit: one inside it would cut it there.
    if (!terminated && kept.contains(char(0xFF)))
        return refused(it.number,
                       quoted(text) + QStringLiteral(" holds a 0xFF byte, where the unit ends the text"));
    QByteArray bytes(it.width, char(0xFF));
    bytes.replace(0, kept.size(), kept);
    if (terminated && kept.size() < it.width) bytes[kept.size()] = 0x00;
    return {bytes, {}};
}

Stored storeNumber(const SettingsItems::Item &it, const QString &text)
{
    QByteArray bytes(it.width, char(0xFF));
    if (text.isEmpty()) return {bytes, {}};
    if (!isWholeNumber(text))
        return {{},
                QStringLiteral("'%1' is not a valid integer value")
                    .arg(text.size() > kQuoted ? text.left(kQuoted) + QStringLiteral("...") : text)};
    // 65535 is what a unit that was never set reads back: it stays "not set".
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (ok && v == 0xFFFF) return {bytes, {}};
    const int max = maximum(it.number);
    if (!ok || v < 0 || v > max)
        return refused(it.number,
                       QStringLiteral("%1 is out of range (0 to %2)").arg(text.left(kQuoted)).arg(max));
    bytes[0] = char(v & 0xFF);
    bytes[1] = char(v >> 8);
    return {bytes, {}};
}

} // namespace

QString itemName(int item)
{
    const SettingsItems::Item *it = SettingsItems::find(item);
    return it ? QString::fromUtf8(it->name) : QString::number(item);
}

int maximum(int item)
{
    const SettingsItems::Item *it = SettingsItems::find(item);
    if (!it || it->kind != Kind::Number) return 0;
    // The typing limit gives the range: 3 digits 999, 4 digits 9999, the port's 5 characters 65535.
    int max = 1;
    for (int i = 0; i < it->byteLimit; ++i)
        max *= 10;
    return std::min(max - 1, 0xFFFF);
}

Stored store(int item, const QString &content, Cut cut)
{
    const SettingsItems::Item *it = SettingsItems::find(item);
    if (!it || it->kind == Kind::Pick) return {{}, QStringLiteral("item %1 holds no text").arg(item)};
    switch (it->kind) {
    case Kind::Digits:
        return storeDigits(*it, content);
    case Kind::Number:
        return storeNumber(*it, content);
    case Kind::LongText:
    case Kind::PlainText:
        return storeText(*it, content, cut);
    case Kind::Pick:
        break;
    }
    return {};
}

Pick pickOf(int item, const QString &cell)
{
    const QStringList entries = SettingsItems::pickEntries(item);
    Pick pick;
    // An empty cell is a pick list with no selection: what a profile holds for an item whose
    // byte names no entry (0xFF on a unit where it was never set), and what a save writes
    // back as 0xFF. Taking it lets such a profile restore the unit it came from.
    if (cell.isEmpty()) return pick;
    if (!isDigit(cell.at(0).unicode())) {
        const int width = cell.at(0).isHighSurrogate() ? 2 : 1;
        pick.refusal = QStringLiteral("'%1' is not a valid integer value").arg(cell.left(width));
        return pick;
    }
    for (int i = 0; i < entries.size(); ++i)
        if (cell.trimmed() == entries[i].trimmed() || cell.trimmed() == QString::number(i)) {
            pick.index = i;
            return pick;
        }
    QStringList shown;
    for (const QString &e : entries)
        shown << e.trimmed();
    pick.refusal = QStringLiteral("%1: %2 is none of its entries (%3)")
                       .arg(itemName(item), quoted(cell), shown.join(QStringLiteral(", ")));
    return pick;
}

QString itemLines(const ItemReasons &items)
{
    QStringList lines;
    for (const auto &[item, reason] : items)
        lines << reason;
    return lines.join(u'\n');
}

std::optional<CutText> cutText(int item, const QString &content)
{
    const SettingsItems::Item *it = SettingsItems::find(item);
    if (!it || (it->kind != Kind::LongText && it->kind != Kind::PlainText)) return std::nullopt;
    const int bytes = DeviceText::byteLength(content);
    if (bytes <= it->width) return std::nullopt;
    const QString kept = DeviceText::cut(content, it->width);
    return CutText{item, bytes, it->width, content.mid(kept.size())};
}

} // namespace zc::SettingsCheck

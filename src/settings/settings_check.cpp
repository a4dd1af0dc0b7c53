#include "settings/settings_check.h"

#include "link/device_text.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"

#include <QStringList>

namespace zc::SettingsCheck {

namespace {

constexpr int kQuoted = 40; // characters of a text quoted in the message

QString quoted(const QString &text)
{
    return text.size() > kQuoted ? u'"' + text.left(kQuoted) + QStringLiteral("...\"") : u'"' + text + u'"';
}

} // namespace

QString cutQuestion(const SettingsModel &model)
{
    using SettingsItems::Kind;
    QStringList lines;
    for (const SettingsItems::Item &it : SettingsItems::all()) {
        if (it.kind != Kind::Digits && it.kind != Kind::LongText && it.kind != Kind::PlainText) continue;
        const QString text = model.content(it.number);
        const int bytes = DeviceText::byteLength(text);
        if (bytes <= it.width) continue;
        const QString kept = DeviceText::cut(text, it.width);
        lines << QStringLiteral("%1: %2 bytes, the unit keeps %3; %4 would be lost")
                     .arg(model.text(it.number, SettingsModel::NameColumn))
                     .arg(bytes)
                     .arg(it.width)
                     .arg(quoted(text.mid(kept.size())));
    }
    if (lines.isEmpty()) return {};
    return QStringLiteral("These texts are longer than the unit keeps and would be cut:\n") +
           lines.join(u'\n') + QStringLiteral("\nSave the settings anyway?");
}

} // namespace zc::SettingsCheck

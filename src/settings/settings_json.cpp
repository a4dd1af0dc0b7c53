#include "settings/settings_json.h"

#include "settings/settings_check.h"
#include "settings/settings_model.h"
#include "sheets/json_envelope.h"
#include "sheets/sheet.h"

#include <QJsonArray>

namespace zc::SettingsJson {

namespace {

const QString kKind = QStringLiteral("settings");

} // namespace

QByteArray bytes(const SettingsModel &model)
{
    QJsonArray items;
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item) {
        QJsonObject o;
        o.insert(QStringLiteral("item"), item);
        o.insert(QStringLiteral("name"), model.text(item, SettingsModel::NameColumn));
        o.insert(QStringLiteral("content"),
                 SettingsModel::isPickItem(item) ? model.pickText(item) : model.content(item));
        o.insert(QStringLiteral("description"), model.text(item, SettingsModel::DescriptionColumn));
        items.append(o);
    }
    QJsonObject top = JsonEnvelope::document(kKind);
    top.insert(QStringLiteral("items"), items);
    return JsonEnvelope::bytes(top);
}

QString toSheet(const QByteArray &bytes, Sheet &sheet)
{
    QJsonObject top;
    if (const QString why = JsonEnvelope::parse(bytes, kKind, top); !why.isEmpty()) return why;
    // The JSON becomes a profile sheet, so it passes the profile's own checks.
    sheet = Sheet();
    sheet.setText(1, 1, QStringLiteral("Items"));
    QSet<int> seen;
    const QString error = JsonEnvelope::eachNumbered(
        top, QStringLiteral("items"), QStringLiteral("item"), SettingsModel::FirstItem,
        SettingsModel::LastItem,
        [&sheet](const QJsonObject &o, int item) {
            QString content, description;
            if (!JsonEnvelope::text(o, "content", content) ||
                !JsonEnvelope::text(o, "description", description))
                return QStringLiteral("item %1: \"content\" and \"description\" must be texts").arg(item);
            sheet.setText(item + 1, SettingsModel::NameColumn + 1, SettingsCheck::itemName(item));
            sheet.setText(item + 1, SettingsModel::ContentColumn + 1, content);
            sheet.setText(item + 1, SettingsModel::DescriptionColumn + 1, description);
            return QString();
        },
        &seen);
    if (!error.isEmpty()) return error;
    // A missing item would be written empty: refuse the file rather than guess.
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item)
        if (!seen.contains(item)) return QStringLiteral("item %1 is missing").arg(item);
    return {};
}

} // namespace zc::SettingsJson

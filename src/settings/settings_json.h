// The settings as a JSON document ("zarvento-cli/settings", see sheets/json_envelope.h):
// an "items" list with one object per item, each its "item" number, "name",
// "content" (a pick item's choice as its text) and "description".
#pragma once

#include <QByteArray>
#include <QString>

namespace zc {

class SettingsModel;
class Sheet;

namespace SettingsJson {

QByteArray bytes(const SettingsModel &model);

// Reads a document back as the profile sheet SettingsProfile::fromSheet checks and takes:
// every item must be given once, its content and description as texts. Returns "" or the
// reason naming the item.
QString toSheet(const QByteArray &bytes, Sheet &sheet);

} // namespace SettingsJson
} // namespace zc

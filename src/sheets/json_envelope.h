// The envelope of every JSON document the tool writes and reads: an object whose "format"
// names its shape ("zarvento-cli/settings", "zarvento-cli/numbers", ...) and whose
// "version" counts its changes, so a program checks both before it reads on. A new key may
// appear within a version; a key is never renamed or given another meaning without a new
// version. The window and the command line write the same envelope, so a file either one
// writes the other reads. The helpers below are shared by the areas' JSON codecs.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QSet>
#include <QString>

#include <functional>

namespace zc::JsonEnvelope {

inline constexpr int kVersion = 1;

// The document's object with "format": "zarvento-cli/<kind>" and "version" in front.
QJsonObject document(const QString &kind);
// "" when top is a document of this kind that this program reads (or carries no "format"
// at all, as files written by hand may not), else why not.
QString kindProblem(const QJsonObject &top, const QString &kind);

// The file at path is read and written as JSON: its name ends in ".json" (any case).
bool isJsonFile(const QString &path);

// The document as the indented text every JSON file of the tool is written in.
QByteArray bytes(const QJsonObject &top);
// Reads a file's bytes as a document of this kind: UTF-8 text (a byte-order mark is
// skipped) holding one JSON object whose envelope kindProblem takes. "" or why not; top
// is the object.
QString parse(QByteArray bytes, const QString &kind, QJsonObject &top);

// A text field of an entry: a missing or null one is empty; false for anything but a text.
bool text(const QJsonObject &entry, const char *key, QString &out);

// Walks the list `listName` of top, objects numbered by `key` from first to last, each
// number given at most once, handing each object to read(); "" or the reason, naming the
// entry. seen, when given, gets the numbers given.
QString eachNumbered(const QJsonObject &top, const QString &listName, const QString &key, int first, int last,
                     const std::function<QString(const QJsonObject &, int)> &read, QSet<int> *seen = nullptr);

} // namespace zc::JsonEnvelope

#include "sheets/json_envelope.h"

#include "sheets/text_file.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace zc::JsonEnvelope {

namespace {

const QString kPrefix = QStringLiteral("zarvento-cli/");

} // namespace

QJsonObject document(const QString &kind)
{
    return QJsonObject{{QStringLiteral("format"), kPrefix + kind}, {QStringLiteral("version"), kVersion}};
}

QString kindProblem(const QJsonObject &top, const QString &kind)
{
    const QJsonValue format = top.value(QLatin1String("format"));
    if (format.isUndefined()) return {};
    if (format.toString() != kPrefix + kind)
        return QStringLiteral("the JSON is a \"%1\" document, not \"%2\"")
            .arg(format.toString(), kPrefix + kind);
    const int version = top.value(QLatin1String("version")).toInt(0);
    if (version < 1 || version > kVersion)
        return QStringLiteral("the JSON has version %1; this program reads version %2")
            .arg(top.value(QLatin1String("version")).toVariant().toString())
            .arg(kVersion);
    return {};
}

bool isJsonFile(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0;
}

QByteArray bytes(const QJsonObject &top)
{
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QString parse(QByteArray bytes, const QString &kind, QJsonObject &top)
{
    if (const QString why = TextFile::takeUtf8(bytes); !why.isEmpty()) return why;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("not valid JSON at byte %1: %2").arg(error.offset).arg(error.errorString());
    if (!doc.isObject()) return QStringLiteral("the JSON is no object");
    top = doc.object();
    return kindProblem(top, kind);
}

bool text(const QJsonObject &entry, const char *key, QString &out)
{
    const QJsonValue v = entry.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull()) {
        out.clear();
        return true;
    }
    if (!v.isString()) return false;
    out = v.toString();
    return true;
}

QString eachNumbered(const QJsonObject &top, const QString &listName, const QString &key, int first, int last,
                     const std::function<QString(const QJsonObject &, int)> &read, QSet<int> *seen)
{
    const QJsonValue list = top.value(listName);
    if (!list.isArray()) return QStringLiteral("the JSON has no \"%1\" list").arg(listName);
    const QString article =
        QStringLiteral("aeiou").contains(key.front()) ? QStringLiteral("an") : QStringLiteral("a");
    QSet<int> given;
    for (const QJsonValue &v : list.toArray()) {
        const int n = v.toObject().value(key).toInt(0);
        if (!v.isObject() || n < first || n > last)
            return QStringLiteral("every entry of \"%1\" needs %2 \"%3\" number from %4 to %5")
                .arg(listName, article, key)
                .arg(first)
                .arg(last);
        if (given.contains(n)) return QStringLiteral("%1 %2 is given twice").arg(key).arg(n);
        given.insert(n);
        if (const QString e = read(v.toObject(), n); !e.isEmpty()) return e;
    }
    if (seen) *seen = given;
    return {};
}

} // namespace zc::JsonEnvelope

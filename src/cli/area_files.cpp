#include "cli/area_files.h"

#include "cli/json_reports.h"

#include "history/history_csv.h"
#include "history/history_model.h"
#include "history/history_sheet.h"
#include "numbers/number_check.h"
#include "numbers/number_list_check.h"
#include "numbers/numbers_codec.h"
#include "numbers/numbers_csv.h"
#include "numbers/numbers_import.h"
#include "numbers/numbers_model.h"
#include "numbers/numbers_sheet.h"
#include "settings/settings_check.h"
#include "settings/settings_codec.h"
#include "settings/settings_model.h"
#include "settings/settings_profile.h"
#include "sheets/export_folder.h"
#include "sheets/text_file.h"
#include "sheets/workbook_reader.h"
#include "sheets/workbook_writer.h"
#include "words/save_words.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <functional>

namespace zc::cli {

namespace {

// What the window says of a workbook whose cell A1 is not the one its kind starts with.
const QString kWrongFormat = QStringLiteral("Wrong format of the setting profile");

QString suffix(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

// Messages of the window's checks carry a lone carriage return between their parts; their
// lines (one a row or item) stay lines, indented under the file's name.
QString oneLine(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("; "))
        .replace(u'\r', u' ')
        .replace(u'\n', QStringLiteral("\n  "));
}

// The bytes of a text file of at most the size a workbook may have, or the reason not.
QString readText(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    if (file.size() > WorkbookReader::MaxFileBytes)
        return QStringLiteral("the file is larger than %1 MB").arg(WorkbookReader::MaxFileBytes >> 20);
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return file.errorString();
    return {};
}

// The type a file is read as (see LoadOptions): json, csv, or "sheet" for a workbook.
QString inputType(const QString &path, const QString &given)
{
    const QString type = given.isEmpty() ? suffix(path) : given.toLower();
    if (type == QLatin1String("json") || type == QLatin1String("csv")) return type;
    if (type == QLatin1String("xlsx") || type == QLatin1String("ods") || type == QLatin1String("xls"))
        return QStringLiteral("sheet");
    QFile file(path);
    QByteArray head;
    if (file.open(QIODevice::ReadOnly)) head = file.read(4096);
    if (head.startsWith("PK\x03\x04") || head.startsWith("\xD0\xCF\x11\xE0")) return QStringLiteral("sheet");
    if (head.startsWith("\xEF\xBB\xBF")) head.remove(0, 3);
    if (head.trimmed().startsWith('{')) return QStringLiteral("json");
    return QStringLiteral("csv");
}

// The JSON object at the top of a file, or the reason it is none.
QString readJson(const QString &path, QJsonObject &out)
{
    QByteArray bytes;
    if (const QString why = readText(path, bytes); !why.isEmpty()) return why;
    if (const QString why = TextFile::takeUtf8(bytes); !why.isEmpty()) return why;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("not valid JSON at byte %1: %2").arg(error.offset).arg(error.errorString());
    if (!doc.isObject()) return QStringLiteral("the JSON is no object");
    out = doc.object();
    return {};
}

// A text field of a JSON row; a missing one is empty, anything but a text is refused.
bool jsonText(const QJsonObject &o, const char *key, QString &out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull()) {
        out.clear();
        return true;
    }
    if (!v.isString()) return false;
    out = v.toString();
    return true;
}

QString writeBytes(const QString &path, const QByteArray &bytes, QString *written)
{
    if (written) *written = path;
    return ExportFolder::writeFile(path, bytes);
}

QString writeSheet(const Sheet &sheet, const QString &path, QString *written)
{
    const SheetSaveResult r = WorkbookWriter::save(sheet, path);
    if (written) *written = r.path;
    return r.error;
}

// Walks a JSON list of objects numbered by `key` from first to last, each number given at
// most once, handing each object to read(); "" or the reason, naming the entry. seen gets
// the numbers given.
QString eachNumbered(const QJsonValue &list, const QString &listName, const QString &key, int first, int last,
                     const std::function<QString(const QJsonObject &, int)> &read, QSet<int> &seen)
{
    if (!list.isArray()) return QStringLiteral("the JSON has no \"%1\" list").arg(listName);
    const QString article =
        QStringLiteral("aeiou").contains(key.front()) ? QStringLiteral("an") : QStringLiteral("a");
    for (const QJsonValue &v : list.toArray()) {
        const int n = v.toObject().value(key).toInt(0);
        if (!v.isObject() || n < first || n > last)
            return QStringLiteral("every entry of \"%1\" needs %2 \"%3\" number from %4 to %5")
                .arg(listName, article, key)
                .arg(first)
                .arg(last);
        if (seen.contains(n)) return QStringLiteral("%1 %2 is given twice").arg(key).arg(n);
        seen.insert(n);
        if (const QString e = read(v.toObject(), n); !e.isEmpty()) return e;
    }
    return {};
}

QString settingsFromJson(const QJsonObject &top, SettingsModel &model)
{
    // The JSON becomes a profile sheet, so it passes the profile's own checks.
    Sheet sheet;
    sheet.setText(1, 1, QStringLiteral("Items"));
    QSet<int> seen;
    const QString error = eachNumbered(
        top.value(QLatin1String("items")), QStringLiteral("items"), QStringLiteral("item"),
        SettingsModel::FirstItem, SettingsModel::LastItem,
        [&sheet](const QJsonObject &o, int item) {
            QString content, description;
            if (!jsonText(o, "content", content) || !jsonText(o, "description", description))
                return QStringLiteral("item %1: \"content\" and \"description\" must be texts").arg(item);
            sheet.setText(item + 1, SettingsModel::NameColumn + 1, SettingsCheck::itemName(item));
            sheet.setText(item + 1, SettingsModel::ContentColumn + 1, content);
            sheet.setText(item + 1, SettingsModel::DescriptionColumn + 1, description);
            return QString();
        },
        seen);
    if (!error.isEmpty()) return error;
    // A missing item would be written empty: refuse the file rather than guess.
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item)
        if (!seen.contains(item)) return QStringLiteral("item %1 is missing").arg(item);
    return SettingsProfile::fromSheet(sheet, model);
}

// The JSON rows as the cells a list workbook holds.
QString numbersCellsFromJson(const QJsonObject &top, QList<QStringList> &cells)
{
    using namespace NumberColumn;
    cells = QList<QStringList>(NumbersModel::Rows, QStringList());
    cells[0] = QStringList{QStringLiteral("Serial")};
    QSet<int> seen;
    return eachNumbered(
        top.value(QLatin1String("rows")), QStringLiteral("rows"), QStringLiteral("row"),
        NumbersModel::FirstEntry, NumbersModel::LastEntry,
        [&cells](const QJsonObject &o, int row) {
            QStringList c(Count);
            c[Serial] = QString::number(row);
            if (!jsonText(o, "number", c[Number]) || !jsonText(o, "start_date", c[StartDate]) ||
                !jsonText(o, "start_time", c[StartTime]) || !jsonText(o, "end_date", c[EndDate]) ||
                !jsonText(o, "end_time", c[EndTime]))
                return QStringLiteral("row %1: number, dates and times must be texts").arg(row);
            const QJsonValue always = o.value(QLatin1String("always"));
            if (!always.isUndefined() && !always.isBool())
                return QStringLiteral("row %1: \"always\" must be true or false").arg(row);
            c[Always] = always.toBool() ? CheckCell::kYes : CheckCell::kNo;
            c[Delete] = CheckCell::kNo;
            cells[row] = c;
            return QString();
        },
        seen);
}

} // namespace

QStringList settingsOutputTypes()
{
    return {QStringLiteral("json"), QStringLiteral("xlsx")};
}
QStringList numbersOutputTypes()
{
    return {QStringLiteral("json"), QStringLiteral("xlsx"), QStringLiteral("csv")};
}
QStringList historyOutputTypes()
{
    return numbersOutputTypes();
}

QString checkOutputType(const QString &path, const QStringList &types)
{
    if (types.contains(suffix(path))) return {};
    return QStringLiteral("%1: the output file must end in .%2").arg(path, types.join(QStringLiteral(", .")));
}

QString loadSettings(const QString &path, SettingsModel &model, const LoadOptions &options)
{
    QString error;
    const QString type = inputType(path, options.type);
    if (type == QLatin1String("json")) {
        QJsonObject top;
        error = readJson(path, top);
        if (error.isEmpty()) error = jsonKindProblem(top, QStringLiteral("settings"));
        if (error.isEmpty()) error = settingsFromJson(top, model);
    } else if (type == QLatin1String("csv")) {
        error = QStringLiteral("a settings profile is a workbook (.xlsx, .ods, .xls) or JSON, not CSV");
    } else {
        QList<int> numberCells;
        error = SettingsProfile::importFromFile(path, model, {}, SettingsCheck::Cut::Refuse, &numberCells);
        if (error == kWrongFormat) error += QStringLiteral("\ncell A1 of a profile must hold \"Items\"");
        // A password typed as 0123 and kept as the number 123 would lock the unit's users out.
        if (error.isEmpty() && !numberCells.isEmpty() && !options.acceptNumberCells)
            error = SettingsProfile::numberCellWarning(numberCells) +
                    QStringLiteral(" To write it as it is, add --accept-number-cells.");
    }
    // The last guard Save Settings keeps: every item as the unit stores it, nothing cut.
    if (error.isEmpty()) error = SettingsCheck::itemLines(SettingsCodec::encodeRecord(model).refused);
    return error.isEmpty() ? QString() : path + QStringLiteral(": ") + oneLine(error);
}

QString loadNumbers(const QString &path, NumbersModel &model, QString *warning, const LoadOptions &options)
{
    NumbersImport::Result result;
    QString error;
    const QString type = inputType(path, options.type);
    if (type == QLatin1String("json") || type == QLatin1String("csv")) {
        QList<QStringList> cells;
        if (type == QLatin1String("json")) {
            QJsonObject top;
            error = readJson(path, top);
            if (error.isEmpty()) error = jsonKindProblem(top, QStringLiteral("numbers"));
            if (error.isEmpty()) error = numbersCellsFromJson(top, cells);
        } else {
            QByteArray bytes;
            error = readText(path, bytes);
            if (error.isEmpty()) cells = NumbersCsv::cells(bytes, &error);
        }
        if (error.isEmpty()) result = NumbersImport::check(cells);
    } else {
        result = NumbersImport::fromFile(path);
    }
    if (error.isEmpty() && result.verdict != NumbersImport::Result::Verdict::Apply) error = result.message;
    if (error == kWrongFormat) error += QStringLiteral("\ncell A1 of a list workbook must hold \"Serial\"");
    if (error.isEmpty()) {
        NumbersImport::apply(result, model);
        if (warning) *warning = result.warning;
        // The checks Save makes before the first frame.
        error = SaveWords::missingWindows(model, wrongRows(model));
        if (error.isEmpty()) error = NumberCheck::saveRefusal(model);
    }
    return error.isEmpty() ? QString() : path + QStringLiteral(": ") + oneLine(error);
}

QByteArray settingsJson(const SettingsModel &model)
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
    QJsonObject top = jsonDocument(QStringLiteral("settings"));
    top.insert(QStringLiteral("items"), items);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QByteArray numbersJson(const NumbersModel &model)
{
    using namespace NumberColumn;
    QJsonArray rows;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        const NumberRow row = model.row(r);
        if (row[Number].isEmpty()) continue;
        rows.append(QJsonObject{{QStringLiteral("row"), r},
                                {QStringLiteral("number"), row[Number]},
                                {QStringLiteral("start_date"), row[StartDate]},
                                {QStringLiteral("start_time"), row[StartTime]},
                                {QStringLiteral("end_date"), row[EndDate]},
                                {QStringLiteral("end_time"), row[EndTime]},
                                {QStringLiteral("always"), row[Always] == CheckCell::kYes}});
    }
    QJsonObject top = jsonDocument(QStringLiteral("numbers"));
    top.insert(QStringLiteral("rows"), rows);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QByteArray historyJson(const HistoryModel &model)
{
    static const char *const keys[HistoryModel::Columns] = {"row",  "number", "date",      "time",
                                                            "from", "action", "executant", "content"};
    QJsonArray records;
    for (int r = HistoryModel::FirstRecordRow; r <= HistoryModel::LastRecordRow; ++r) {
        if (model.text(r, HistoryModel::NumberColumn).isEmpty()) continue;
        QJsonObject o{{QStringLiteral("row"), r}};
        for (int c = HistoryModel::NumberColumn; c < HistoryModel::Columns; ++c)
            o.insert(QLatin1String(keys[c]), model.text(r, c));
        records.append(o);
    }
    QJsonObject top = jsonDocument(QStringLiteral("history"));
    top.insert(QStringLiteral("records"), records);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QString saveSettings(const SettingsModel &model, const QString &path, QString *written)
{
    if (suffix(path) == QLatin1String("json")) return writeBytes(path, settingsJson(model), written);
    return writeSheet(SettingsProfile::toSheet(model), path, written);
}

QString saveNumbers(const NumbersModel &model, const QString &path, QString *written)
{
    const QString type = suffix(path);
    if (type == QLatin1String("json")) return writeBytes(path, numbersJson(model), written);
    if (type == QLatin1String("csv")) return writeBytes(path, NumbersCsv::exportBytes(model), written);
    return writeSheet(NumbersSheet::toSheet(model), path, written);
}

QString saveHistory(const HistoryModel &model, const QString &path, QString *written)
{
    const QString type = suffix(path);
    if (type == QLatin1String("json")) return writeBytes(path, historyJson(model), written);
    if (type == QLatin1String("csv")) return writeBytes(path, HistoryCsv::fileBytes(model), written);
    return writeSheet(HistorySheet::toSheet(model), path, written);
}

} // namespace zc::cli

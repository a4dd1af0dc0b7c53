#include "cli/area_files.h"

#include "history/history_csv.h"
#include "history/history_json.h"
#include "history/history_model.h"
#include "history/history_sheet.h"
#include "numbers/number_check.h"
#include "numbers/number_list_check.h"
#include "numbers/numbers_codec.h"
#include "numbers/numbers_csv.h"
#include "numbers/numbers_import.h"
#include "numbers/numbers_json.h"
#include "numbers/numbers_model.h"
#include "numbers/numbers_sheet.h"
#include "settings/settings_check.h"
#include "settings/settings_codec.h"
#include "settings/settings_json.h"
#include "settings/settings_model.h"
#include "settings/settings_profile.h"
#include "sheets/export_folder.h"
#include "sheets/text_file.h"
#include "sheets/workbook_reader.h"
#include "sheets/workbook_writer.h"
#include "words/save_words.h"

#include <QFile>
#include <QFileInfo>

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
        QByteArray bytes;
        Sheet sheet;
        error = TextFile::read(path, bytes);
        if (error.isEmpty()) error = SettingsJson::toSheet(bytes, sheet);
        if (error.isEmpty()) error = SettingsProfile::fromSheet(sheet, model);
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
        QByteArray bytes;
        error = TextFile::read(path, bytes);
        if (error.isEmpty())
            cells = type == QLatin1String("json") ? NumbersJson::cells(bytes, &error)
                                                  : NumbersCsv::cells(bytes, &error);
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

QString saveSettings(const SettingsModel &model, const QString &path, QString *written)
{
    if (suffix(path) == QLatin1String("json")) return writeBytes(path, SettingsJson::bytes(model), written);
    return writeSheet(SettingsProfile::toSheet(model), path, written);
}

QString saveNumbers(const NumbersModel &model, const QString &path, QString *written)
{
    const QString type = suffix(path);
    if (type == QLatin1String("json")) return writeBytes(path, NumbersJson::bytes(model), written);
    if (type == QLatin1String("csv")) return writeBytes(path, NumbersCsv::exportBytes(model), written);
    return writeSheet(NumbersSheet::toSheet(model), path, written);
}

QString saveHistory(const HistoryModel &model, const QString &path, QString *written)
{
    const QString type = suffix(path);
    if (type == QLatin1String("json")) return writeBytes(path, HistoryJson::bytes(model), written);
    if (type == QLatin1String("csv")) return writeBytes(path, HistoryCsv::fileBytes(model), written);
    return writeSheet(HistorySheet::toSheet(model), path, written);
}

} // namespace zc::cli

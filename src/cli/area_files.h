// The files the command-line program reads and writes, by area: the window's workbooks and
// text files through the area libraries, and a JSON form for scripts. Loading checks the
// whole file as the window's import and save check it, so a bad file is refused before
// anything is sent to a unit.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zc {
class SettingsModel;
class NumbersModel;
class HistoryModel;
} // namespace zc

namespace zc::cli {

// The file types an area's output takes, as suffixes ("json", "xlsx", "csv").
QStringList settingsOutputTypes();
QStringList numbersOutputTypes();
QStringList historyOutputTypes();
// "" when path ends in one of the types, else the message.
QString checkOutputType(const QString &path, const QStringList &types);

// How an input file is read. type: "json", "csv", "xlsx", "ods" or "xls" as --format gives
// it; "" = by the file's suffix when it names one of these, else by its content (a JSON
// object, a workbook, or else the list CSV file: the window's Export .CSV file has no
// suffix). acceptNumberCells: a profile's password or SIM number kept as a number cell is
// taken (else refused: its leading 0 or "+" may have been lost).
struct LoadOptions
{
    QString type;
    bool acceptNumberCells = false;
};

// Loads a settings profile workbook (.xlsx, .ods, .xls) or the JSON that SettingsJson
// writes into the table, then checks that both settings pages can be encoded. Returns ""
// or the reason (the table may then hold part of the file: do not send it).
QString loadSettings(const QString &path, SettingsModel &model, const LoadOptions &options = {});
// Loads a list workbook, the list CSV file or the JSON that NumbersJson writes into the
// table, checked as the window's Import .XLS and Save check it. "" or the reason.
// warning, when given, receives what the user should look at though the file was taken.
QString loadNumbers(const QString &path, NumbersModel &model, QString *warning = nullptr,
                    const LoadOptions &options = {});

// Writes the table to path in the type its suffix names. Returns "" or the message;
// written gets the file actually written.
QString saveSettings(const SettingsModel &model, const QString &path, QString *written = nullptr);
QString saveNumbers(const NumbersModel &model, const QString &path, QString *written = nullptr);
QString saveHistory(const HistoryModel &model, const QString &path, QString *written = nullptr);

} // namespace zc::cli

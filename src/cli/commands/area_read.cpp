// zarvento-cli settings read, numbers read and history read: an area read from the unit and
// written as JSON, CSV or a workbook. The three differ only in their area's file types,
// and in what numbers read (--names) and history read (--archive) add.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/archive_steps.h"
#include "cli/area_files.h"
#include "cli/command_options.h"
#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/names_file.h"
#include "cli/units.h"
#include "history/history_archive.h"
#include "history/history_csv.h"
#include "history/history_json.h"
#include "history/history_sheet.h"
#include "numbers/numbers_csv.h"
#include "numbers/numbers_json.h"
#include "numbers/numbers_model.h"
#include "numbers/numbers_sheet.h"
#include "settings/settings_json.h"
#include "sheets/csv_field.h"
#include "sheets/sheet.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace zc::cli {

namespace {

struct AreaText
{
    const char *description, *outputHelp;
    std::vector<std::string> types;
};

AreaText areaText(Area area)
{
    switch (area) {
    case Area::Settings:
        return {"Read the settings (JSON on stdout without -o)",
                "Write FILE.xlsx (the profile workbook) or FILE.json; - for stdout",
                {"json", "xlsx"}};
    case Area::Numbers:
        return {"Read the list (JSON on stdout without -o)",
                "Write FILE.xlsx (list workbook), FILE.csv or FILE.json; - for stdout",
                {"json", "csv", "xlsx"}};
    case Area::History:
        break;
    }
    return {"Read the log (JSON on stdout without -o)",
            "Write FILE.xlsx, FILE.csv or FILE.json; - for stdout",
            {"json", "csv", "xlsx"}};
}

std::vector<std::string> inputsOf(Area area)
{
    if (area == Area::Numbers) return {"--names"};
    if (area == Area::History) return {"--archive"};
    return {};
}

class ReadCommand : public Command
{
public:
    explicit ReadCommand(Area area)
        : Command(areaGroup(area), "read", areaText(area).description,
                  {Ports::One, true, false, inputsOf(area)}),
          m_area(area)
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        units.addOptions(&cmd, declaration());
        const AreaText text = areaText(m_area);
        cmd.add_option("-o,--output", m_output, text.outputHelp)->type_name("FILE");
        addFormatOption(&cmd, m_format, "The type to write to standard output (-o -)", text.types);
        if (m_area == Area::Numbers) addNamesOption(&cmd, m_names);
        if (m_area == Area::History)
            cmd.add_option("--archive", m_archive,
                           "Merge the log into the history archive FILE (created when absent)")
                ->type_name("FILE");
    }

    Exit run(Units &units) override
    {
        if (!m_archive.empty()) return runArchived(units);
        if (!m_names.empty()) {
            NamesFile names;
            if (const QString e = names.load(q(m_names)); !e.isEmpty()) return refuse(e);
            return runNamed(units, names);
        }
        return runPlain(units);
    }

private:
    UnitJob::Options jobOptions(Units &units) const { return units.jobOptions(units.ports().front()); }
    Exit runPlain(Units &units);
    Exit runArchived(Units &units);
    Exit runNamed(Units &units, const NamesFile &names);

    Area m_area;
    std::string m_output, m_format, m_names, m_archive;
};

Exit ReadCommand::runPlain(Units &units)
{
    const QStringList types = m_area == Area::Settings  ? settingsOutputTypes()
                              : m_area == Area::Numbers ? numbersOutputTypes()
                                                        : historyOutputTypes();
    // --format without -o: that type to standard output.
    if (m_output.empty() && !m_format.empty()) m_output = "-";
    const bool toStdout = m_output == "-";
    if (toStdout && m_format.empty())
        return refuse(QStringLiteral("-o - (standard output) needs --format %1").arg(types.join(u'|')));
    if (!toStdout && !m_format.empty() && QFileInfo(q(m_output)).suffix().toLower() != q(m_format))
        return refuse(QStringLiteral("%1: --format %2 differs from the file's suffix, which names its type")
                          .arg(q(m_output), q(m_format)));
    if (!m_output.empty() && !toStdout)
        if (const QString e = checkOutputType(q(m_output), types); !e.isEmpty()) return refuse(e);
    UnitJob job(jobOptions(units));
    job.addOpenAndLogIn();
    job.addRead(m_area);
    const Exit e = units.run({&job});
    if (e != Exit::Done) return e;
    if (m_output.empty())
        return outBytes(m_area == Area::Settings  ? SettingsJson::bytes(job.settings())
                        : m_area == Area::Numbers ? NumbersJson::bytes(job.numbers())
                                                  : HistoryJson::bytes(job.history()))
                   ? Exit::Done
                   : Exit::Usage;
    // Standard output gets the file as it would be written, through a private folder.
    QTemporaryDir temp;
    if (toStdout && !temp.isValid())
        return refuse(QStringLiteral("cannot make a temporary folder: ") + temp.errorString());
    const QString path = toStdout ? temp.filePath(QStringLiteral("out.") + q(m_format)) : q(m_output);
    const QString error = m_area == Area::Settings  ? saveSettings(job.settings(), path)
                          : m_area == Area::Numbers ? saveNumbers(job.numbers(), path)
                                                    : saveHistory(job.history(), path);
    if (!error.isEmpty()) return refuse(error);
    if (!toStdout) return Exit::Done;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return refuse(path + QStringLiteral(": ") + file.errorString());
    return outBytes(file.readAll()) ? Exit::Done : Exit::Usage;
}

// history read --archive: the log merged into the archive, and written as asked.
Exit ReadCommand::runArchived(Units &units)
{
    QString type;
    if (!m_output.empty() || !m_format.empty())
        if (const QString e = exportType(m_output, m_format, historyOutputTypes(), type); !e.isEmpty())
            return refuse(e);
    // The archive must take a merge before the unit is read.
    HistoryArchive archive;
    if (!archive.open(q(m_archive), true)) return refuse(archiveProblem(archive, q(m_archive)));
    UnitJob job(jobOptions(units));
    job.addOpenAndLogIn();
    job.addRead(Area::History);
    addMerge(job, archive, q(m_archive), units.quiet(), false);
    const Exit e = units.run({&job});
    if (e != Exit::Done || m_output.empty()) return e;
    const HistoryModel &model = job.history();
    const QString error = writeExport(
        q(m_output), type,
        [&] {
            return type == QLatin1String("json") ? HistoryJson::bytes(model) : HistoryCsv::fileBytes(model);
        },
        [&] { return HistorySheet::toSheet(model); });
    return error.isEmpty() ? Exit::Done : refuse(error);
}

// numbers read --names: the usual export with the name added after its documented columns.
Exit ReadCommand::runNamed(Units &units, const NamesFile &names)
{
    QString type = QStringLiteral("json");
    if (!m_output.empty() || !m_format.empty())
        if (const QString e = exportType(m_output, m_format, numbersOutputTypes(), type); !e.isEmpty())
            return refuse(e);
    UnitJob job(jobOptions(units));
    job.addOpenAndLogIn();
    job.addRead(Area::Numbers);
    if (const Exit e = units.run({&job}); e != Exit::Done) return e;
    const NumbersModel &model = job.numbers();
    const auto nameOfRow = [&](int row) { return names.nameOf(model.text(row, NumberColumn::Number)); };
    const auto bytes = [&] {
        if (type == QLatin1String("json")) {
            QJsonObject top = QJsonDocument::fromJson(NumbersJson::bytes(model)).object();
            QJsonArray rows = top.value(QStringLiteral("rows")).toArray();
            for (qsizetype i = 0; i < rows.size(); ++i) {
                QJsonObject o = rows[i].toObject();
                o.insert(QStringLiteral("name"),
                         nameValue(names, o.value(QStringLiteral("number")).toString()));
                rows[i] = o;
            }
            top.insert(QStringLiteral("rows"), rows);
            return QJsonDocument(top).toJson(QJsonDocument::Indented);
        }
        const QList<QByteArray> lines = NumbersCsv::exportBytes(model).split('\n');
        QByteArray out;
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            QByteArray line = lines[i];
            line.chop(1); // the CR
            const int row = int(i) + 1;
            out += line + ',' +
                   (row <= NumbersModel::LastEntry ? Csv::field(nameOfRow(row).toUtf8()) : QByteArray()) +
                   "\r\n";
        }
        return out;
    };
    const auto sheet = [&] {
        Sheet s = NumbersSheet::toSheet(model);
        const int column = NumbersModel::Columns + 1;
        s.setTextRange(NumbersModel::Rows, column);
        s.setColumnWidth(column, 20);
        s.setText(1, column, QStringLiteral("Name"));
        for (int row = NumbersModel::FirstEntry; row <= NumbersModel::LastEntry; ++row)
            s.setText(row + 1, column, nameOfRow(row));
        return s;
    };
    const QString error =
        writeExport(m_output.empty() ? QStringLiteral("-") : q(m_output), type, bytes, sheet);
    return error.isEmpty() ? Exit::Done : refuse(error);
}

} // namespace

std::unique_ptr<Command> makeReadCommand(Area area)
{
    return std::make_unique<ReadCommand>(area);
}

} // namespace zc::cli

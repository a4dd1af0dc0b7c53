// zarvento-cli settings diff and numbers diff: what writing a file would change on the unit,
// item by item or row by row; exit 1 when anything would. numbers diff --names names the
// numbers of each row.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/area_files.h"
#include "cli/command_options.h"
#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/input_file.h"
#include "cli/json_reports.h"
#include "cli/names_file.h"
#include "cli/page_compare.h"
#include "cli/units.h"
#include "cli/write_steps.h"
#include "numbers/numbers_diff.h"
#include "numbers/numbers_model.h"
#include "settings/settings_model.h"
#include "words/diff_words.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zc::cli {

namespace {

class DiffCommand : public Command
{
public:
    explicit DiffCommand(Area area)
        : Command(areaGroup(area), "diff",
                  area == Area::Settings ? "Show item by item what writing FILE would change"
                                         : "Show row by row what writing FILE would change",
                  {Ports::One, true, false,
                   area == Area::Settings ? std::vector<std::string>{"FILE"}
                                          : std::vector<std::string>{"FILE", "--names"}}),
          m_area(area)
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        const bool settings = m_area == Area::Settings;
        addAreaFileArgument(&cmd, m_file, settings);
        addFormatOption(&cmd, m_format);
        units.addOptions(&cmd, declaration());
        cmd.add_flag("--json", m_json, "Print the changes as JSON");
        if (!settings) addNamesOption(&cmd, m_names);
    }

    Exit run(Units &units) override
    {
        if (m_names.empty()) return runPlain(units);
        NamesFile names;
        if (const QString e = names.load(q(m_names)); !e.isEmpty()) return refuse(e);
        return runNamed(units, names);
    }

private:
    Exit runPlain(Units &units);
    Exit runNamed(Units &units, const NamesFile &names);

    Area m_area;
    std::string m_file, m_format, m_names;
    bool m_json = false;
};

Exit DiffCommand::runPlain(Units &units)
{
    SettingsModel settingsFile;
    NumbersModel numbersFile;
    const InputFile in(q(m_file), q(m_format));
    if (const QString e = loadInto(m_area, in, settingsFile, numbersFile, units.quiet()); !e.isEmpty())
        return refuse(e);
    UnitJob job(units.jobOptions(units.ports().front()));
    job.addOpenAndLogIn();
    job.addRead(m_area);
    const Exit e = units.run({&job});
    if (e != Exit::Done) return e;
    const QList<PageBytes> written =
        m_area == Area::Settings ? settingsPages(settingsFile) : numbersPages(numbersFile);
    const QStringList lines = m_area == Area::Settings ? settingsChanges(job.pagesRead(m_area), written)
                                                       : numbersChanges(job.pagesRead(m_area), written);
    if (m_json) {
        if (!outBytes(diffJson(m_area, job.port(), job.pagesRead(m_area), written))) return Exit::Usage;
    } else {
        for (const QString &line : lines)
            if (!outText(line)) return Exit::Usage;
    }
    return lines.isEmpty() ? Exit::Done : Exit::Unit;
}

// numbers diff --names: each change with the name of the number the row will hold, else
// of the one it held.
Exit DiffCommand::runNamed(Units &units, const NamesFile &names)
{
    NumbersModel fileModel;
    const InputFile in(q(m_file), q(m_format));
    if (!in.error().isEmpty()) return refuse(in.error());
    if (const QString e = in.named(loadNumbers(in.path(), fileModel)); !e.isEmpty()) return refuse(e);
    UnitJob job(units.jobOptions(units.ports().front()));
    job.addOpenAndLogIn();
    job.addRead(Area::Numbers);
    if (const Exit e = units.run({&job}); e != Exit::Done) return e;
    const QList<PageBytes> &unit = job.pagesRead(Area::Numbers);
    const QList<PageBytes> written = numbersPages(fileModel);
    const AreaDiff diff = NumbersDiff::compare(unit, written);
    const auto nameAt = [&](int row) {
        const QString file = names.nameOf(NumbersDiff::rowOf(written, row)[NumberColumn::Number]);
        return file.isEmpty() ? names.nameOf(NumbersDiff::rowOf(unit, row)[NumberColumn::Number]) : file;
    };
    if (m_json) {
        QJsonObject top =
            QJsonDocument::fromJson(diffJson(Area::Numbers, job.port(), unit, written)).object();
        QJsonArray changes = top.value(QStringLiteral("changes")).toArray();
        for (qsizetype i = 0; i < changes.size(); ++i) {
            QJsonObject o = changes[i].toObject();
            const QString name = nameAt(o.value(QStringLiteral("row")).toInt());
            o.insert(QStringLiteral("name"), name.isEmpty() ? QJsonValue() : QJsonValue(name));
            changes[i] = o;
        }
        top.insert(QStringLiteral("changes"), changes);
        if (!outBytes(QJsonDocument(top).toJson(QJsonDocument::Indented))) return Exit::Usage;
    } else {
        for (const AreaDiff::Line &l : diff.lines) {
            const QString name = nameAt(l.at);
            if (!outText(diffLine(l) + (name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name))))
                return Exit::Usage;
        }
    }
    return diff.isEmpty() ? Exit::Done : Exit::Unit;
}

} // namespace

std::unique_ptr<Command> makeDiffCommand(Area area)
{
    return std::make_unique<DiffCommand>(area);
}

} // namespace zc::cli

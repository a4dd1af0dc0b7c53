#include "cli/write_steps.h"

#include "cli/area_files.h"
#include "cli/command_output.h"
#include "cli/input_file.h"
#include "cli/page_compare.h"
#include "cli/unit_writes.h"
#include "numbers/number_entry.h"
#include "numbers/numbers_model.h"
#include "settings/settings_model.h"

namespace zc::cli {

namespace {

// Reads an area back after it was written and compares it byte for byte with the pages the
// save actually sent.
void addVerify(UnitJob &job, Area area)
{
    job.addRead(area);
    job.addCheck(
        [&job, area] {
            const QStringList lines = verifyDifferences(area, job.pagesSaved(area), job.pagesRead(area));
            job.setDifferences(int(lines.size()));
            if (lines.isEmpty()) {
                job.done << areaName(area) + QStringLiteral(" verified");
                return;
            }
            for (const QString &line : lines)
                job.note(QStringLiteral("verify: ") + line);
            job.fail(Exit::Unit, QStringLiteral("verification found %1 difference%2 in the %3 it holds")
                                     .arg(lines.size())
                                     .arg(lines.size() == 1 ? QString() : QStringLiteral("s"))
                                     .arg(areaName(area)));
        },
        StepRecord::Kind::Verify, area);
}

// "settings written", naming the items the write changed when they are known.
void addWritten(UnitJob &job, Area area)
{
    job.addCheck([&job, area] {
        QString line = areaName(area) + QStringLiteral(" written");
        if (area == Area::Settings && job.itemsChangedKnown)
            line += job.itemsChanged.isEmpty()
                        ? QStringLiteral(" (no item changed)")
                        : QStringLiteral(" (item%1 %2 changed)")
                              .arg(job.itemsChanged.size() == 1 ? QString() : QStringLiteral("s"),
                                   rowList(job.itemsChanged));
        job.done << line;
    });
}

// --dry-run, after the area was read: prints what writing the table, as it is then, would
// change on the unit.
void addPreview(UnitJob &job, Area area, bool namePort)
{
    job.addCheck([&job, area, namePort] {
        const QList<PageBytes> sent =
            area == Area::Settings ? settingsPages(job.settings()) : numbersPages(job.numbers());
        const QString prefix = namePort ? job.port() + QStringLiteral(": ") : QString();
        const QStringList lines = area == Area::Settings ? settingsChanges(job.pagesRead(area), sent)
                                                         : numbersChanges(job.pagesRead(area), sent);
        if (lines.isEmpty())
            outText(prefix + QStringLiteral("writing changes nothing in the %1").arg(areaName(area)));
        for (const QString &line : lines)
            outText(prefix + line);
    });
}

} // namespace

QString loadInto(Area area, const InputFile &in, SettingsModel &settings, NumbersModel &numbers, bool quiet,
                 bool acceptNumberCells)
{
    if (!in.error().isEmpty()) return in.error();
    const LoadOptions options{in.format(), acceptNumberCells};
    if (area == Area::Settings) return in.named(loadSettings(in.path(), settings, options));
    // A warning does not stop the run: it goes to stderr, naming the file.
    QString warning;
    const QString error = in.named(loadNumbers(in.path(), numbers, &warning, options));
    if (error.isEmpty() && !warning.isEmpty() && !quiet)
        errorLine(QStringLiteral("zarvento-cli: ") + in.named(in.path()) + QStringLiteral(": ") + warning);
    return error;
}

void copyTable(const SettingsModel &from, SettingsModel &to)
{
    for (int r = 0; r < SettingsModel::Rows; ++r)
        for (int c = 0; c < SettingsModel::Columns; ++c)
            to.setText(r, c, from.text(r, c));
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item)
        if (SettingsModel::isPickItem(item)) to.setPickSelection(item, from.pickSelection(item));
}

void copyTable(const NumbersModel &from, NumbersModel &to)
{
    QList<NumberRow> rows;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
        rows << from.row(r);
    to.setRows(NumbersModel::FirstEntry, rows, 0, NumbersModel::Columns - 1);
}

bool holdsNumbers(const NumbersModel &model)
{
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
        if (!model.text(r, NumberColumn::Number).isEmpty()) return true;
    return false;
}

QString emptyListRefusal(const QString &file)
{
    return QStringLiteral("%1 holds no numbers: writing it empties the unit's whole list; add --yes to do it")
        .arg(file);
}

void addWriteSteps(UnitJob &job, Area area, WriteMode mode, bool namePort, bool readDone,
                   const std::function<void()> &load)
{
    if (mode.dryRun && !readDone) job.addRead(area);
    if (load) job.addCheck(load);
    if (mode.dryRun) {
        addPreview(job, area, namePort);
        return;
    }
    job.addSave(area);
    addWritten(job, area);
    if (mode.verify) addVerify(job, area);
}

} // namespace zc::cli

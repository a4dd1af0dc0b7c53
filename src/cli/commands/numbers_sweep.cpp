// zarvento-cli numbers sweep: the rows whose window ended before a date freed on the unit,
// each as the unit's own delete leaves it; only the pages that change are sent.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/page_compare.h"
#include "cli/units.h"
#include "numbers/number_entry.h"
#include "numbers/number_window.h"
#include "numbers/numbers_model.h"

#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace zc::cli {

namespace {

class SweepCommand : public Command
{
public:
    SweepCommand()
        : Command("numbers", "sweep", "Free the rows whose window ended before DATE",
                  {Ports::One, true, true, {}})
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        units.addOptions(&cmd, declaration());
        cmd.add_option("--ended-before", m_endedBefore, "YYYY-MM-DD[ HH:MM]")->required()->type_name("DATE");
        cmd.add_flag("--dry-run", m_dryRun, "Print the rows it would free and send nothing");
        cmd.add_flag("--verify", m_verify, "Read the list back and compare byte for byte");
    }

    Exit run(Units &units) override;

private:
    std::string m_endedBefore;
    bool m_dryRun = false, m_verify = false;
};

} // namespace

Exit SweepCommand::run(Units &units)
{
    static const QRegularExpression re(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})(?:[ T](\\d{1,2}):(\\d{2}))?$"));
    const auto m = re.match(q(m_endedBefore).trimmed());
    const QDate day = m.hasMatch() ? QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd")) : QDate();
    const QTime time = m.hasMatch() && !m.captured(2).isEmpty()
                           ? QTime(m.captured(2).toInt(), m.captured(3).toInt())
                           : QTime(0, 0);
    if (!day.isValid() || !time.isValid())
        return refuse(
            QStringLiteral("--ended-before %1: give YYYY-MM-DD or YYYY-MM-DD HH:MM").arg(q(m_endedBefore)));
    const QDateTime cutoff(day, time);
    const bool dryRun = m_dryRun, verify = m_verify, quiet = units.quiet();

    UnitJob job(units.jobOptions(units.ports().front()));
    job.addOpenAndLogIn();
    job.addRead(Area::Numbers);
    // Which rows ended is known once the list is read: the save (and its check) are added
    // then, and only when a row is to be freed.
    job.addCheck([&job, cutoff, dryRun, verify, quiet] {
        QList<PageBytes> pages = job.pagesRead(Area::Numbers);
        std::set<int> changed;
        int freed = 0;
        for (int row = NumbersModel::FirstEntry; row <= NumbersModel::LastEntry; ++row) {
            const NumberRow cells = job.numbers().row(row);
            if (!NumberWindow::ended(cells, cutoff)) continue;
            outText(QStringLiteral("row %1: %2 ended %3")
                        .arg(row)
                        .arg(cells[NumberColumn::Number], minuteText(*NumberWindow::end(cells))));
            ++freed;
            // A freed entry is 32 bytes of 0xFF, as the unit's own delete leaves it; every
            // other byte of its page is sent as the unit holds it.
            const int page = (row - 1) / NumberEntry::kPerPage;
            const int at = (row - 1) % NumberEntry::kPerPage * NumberEntry::kSize;
            if (page >= pages.size()) continue;
            PageBytes &bytes = pages[page];
            if (std::any_of(bytes.begin() + at, bytes.begin() + at + NumberEntry::kSize,
                            [](std::uint8_t b) { return b != NumberEntry::kDeletedByte; })) {
                std::fill(bytes.begin() + at, bytes.begin() + at + NumberEntry::kSize,
                          NumberEntry::kDeletedByte);
                changed.insert(page + 1);
            }
        }
        if (dryRun || changed.empty()) {
            if (!quiet)
                job.note(
                    freed == 0
                        ? QStringLiteral("no window ended before %1; nothing written").arg(minuteText(cutoff))
                        : QStringLiteral("%1 rows would be freed (--dry-run: nothing written)").arg(freed));
            return;
        }
        job.addSavePages(Area::Numbers, pages, std::vector<int>(changed.begin(), changed.end()));
        job.addCheck([&job, freed, pages = int(changed.size())] {
            job.done << QStringLiteral("%1 rows freed in %2 pages").arg(freed).arg(pages);
        });
        if (!verify) return;
        job.addRead(Area::Numbers);
        job.addCheck(
            [&job] {
                const QStringList lines = verifyDifferences(Area::Numbers, job.pagesSaved(Area::Numbers),
                                                            job.pagesRead(Area::Numbers));
                job.setDifferences(int(lines.size()));
                if (lines.isEmpty()) {
                    job.done << QStringLiteral("number list verified");
                    return;
                }
                for (const QString &line : lines)
                    job.note(QStringLiteral("verify: ") + line);
                job.fail(
                    Exit::Unit,
                    QStringLiteral("verification found %1 differences in the number list").arg(lines.size()));
            },
            StepRecord::Kind::Verify, Area::Numbers);
    });
    const Exit e = units.run({&job});
    if (e == Exit::Done && !quiet)
        for (const QString &d : job.done)
            errorLine(job.port() + QStringLiteral(": ") + d);
    return e;
}

std::unique_ptr<Command> makeSweepCommand()
{
    return std::make_unique<SweepCommand>();
}

} // namespace zc::cli

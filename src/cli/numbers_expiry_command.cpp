// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/archive_commands.h"

#include "cli/area_files.h"
#include "cli/command_output.h"
#include "cli/input_file.h"
#include "cli/json_reports.h"
#include "cli/page_compare.h"
#include "numbers/number_window.h"
#include "numbers/numbers_csv.h"
#include "numbers/numbers_diff.h"
#include "numbers/numbers_json.h"
#include "numbers/numbers_model.h"
#include "numbers/numbers_sheet.h"
#include "sheets/csv_field.h"
#include "sheets/json_envelope.h"
#include "sheets/sheet.h"
#include "words/diff_words.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace zc::cli {

namespace {

QString q(const std::string &s)
{
    return QString::fromStdString(s);
}

QString minuteText(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

struct Ending
{
    int row;
    QString number;
    QDateTime end;
    bool ended;
};

// Rows whose window ended before now or ends within `days` after it, by end, then row.
QList<Ending> endingRows(const NumbersModel &model, const QDateTime &now, int days)
{
    QList<Ending> rows;
    const QDateTime horizon = now.addDays(days);
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        const NumberRow row = model.row(r);
        const auto end = NumberWindow::end(row);
        if (!end) continue;
        const bool ended = NumberWindow::ended(row, now);
        if (ended || *end <= horizon) rows << Ending{r, row[NumberColumn::Number], *end, ended};
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Ending &a, const Ending &b) { return a.end < b.end; });
    return rows;
}

QJsonValue nameValue(const NamesFile &names, const QString &number)
{
    const QString name = names.nameOf(number);
    return name.isEmpty() ? QJsonValue() : QJsonValue(name);
}

QString namedSuffix(const NamesFile &names, const QString &number)
{
    const QString name = names.nameOf(number);
    return name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name);
}

} // namespace

Exit ArchiveCommands::runExpiring(const Runner &r)
{
    const bool fromFile = !m_tree.file->empty();
    if (fromFile == !r.ports.empty())
        return refuse(
            QStringLiteral("numbers expiring reads a unit (--port) or a list FILE: give one of them"));
    NumbersModel fileModel;
    std::unique_ptr<UnitJob> job;
    if (fromFile) {
        const InputFile in(q(*m_tree.file), q(*m_tree.format));
        if (!in.error().isEmpty()) return refuse(in.error());
        if (const QString e = in.named(loadNumbers(in.path(), fileModel)); !e.isEmpty()) return refuse(e);
    } else {
        job = std::make_unique<UnitJob>(r.jobOptions(r.ports.front()));
        job->addOpenAndLogIn();
        job->addRead(Area::Numbers);
        if (const Exit e = r.runJobs({job.get()}); e != Exit::Done) return e;
    }
    const NumbersModel &model = fromFile ? fileModel : job->numbers();
    const QDateTime now = QDateTime::currentDateTime();
    const QList<Ending> rows = endingRows(model, now, m_within);
    const bool named = !m_names.empty();
    if (*m_tree.json) {
        QJsonArray list;
        for (const Ending &e : rows) {
            QJsonObject o{
                {QStringLiteral("row"), e.row},
                {QStringLiteral("number"), e.number},
                {QStringLiteral("end_date"), e.end.toString(QStringLiteral("yyyy-MM-dd"))},
                {QStringLiteral("end_time"), e.end.toString(QStringLiteral("HH:mm"))},
                {QStringLiteral("state"), e.ended ? QStringLiteral("ended") : QStringLiteral("ending")}};
            if (named) o.insert(QStringLiteral("name"), nameValue(m_namesFile, e.number));
            list.append(o);
        }
        QJsonObject top = JsonEnvelope::document(QStringLiteral("expiring"));
        top.insert(QStringLiteral("now"), minuteText(now));
        top.insert(QStringLiteral("within_days"), m_within);
        top.insert(QStringLiteral("rows"), list);
        if (!outBytes(QJsonDocument(top).toJson(QJsonDocument::Indented))) return Exit::Usage;
    } else {
        for (const Ending &e : rows)
            if (!outText(QStringLiteral("row %1: %2 %3 %4%5")
                             .arg(e.row)
                             .arg(e.number, e.ended ? QStringLiteral("ended") : QStringLiteral("ends"),
                                  minuteText(e.end), named ? namedSuffix(m_namesFile, e.number) : QString())))
                return Exit::Usage;
    }
    return rows.isEmpty() ? Exit::Done : Exit::Unit;
}

Exit ArchiveCommands::runSweep(const Runner &r)
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
    const bool dryRun = *m_tree.dryRun, verify = *m_tree.verify, quiet = *m_tree.quiet;

    UnitJob job(r.jobOptions(r.ports.front()));
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
            QStringLiteral("verify number list"));
    });
    const Exit e = r.runJobs({&job});
    if (e == Exit::Done && !quiet)
        for (const QString &d : job.done)
            errorLine(job.port() + QStringLiteral(": ") + d);
    return e;
}

Exit ArchiveCommands::runNamedNumbersRead(const Runner &r)
{
    QString type = QStringLiteral("json");
    std::string &output = *m_tree.output;
    if (!output.empty() || !m_tree.format->empty())
        if (const QString e = exportType(output, *m_tree.format, numbersOutputTypes(), type); !e.isEmpty())
            return refuse(e);
    UnitJob job(r.jobOptions(r.ports.front()));
    job.addOpenAndLogIn();
    job.addRead(Area::Numbers);
    if (const Exit e = r.runJobs({&job}); e != Exit::Done) return e;
    const NumbersModel &model = job.numbers();
    const auto nameOfRow = [&](int row) { return m_namesFile.nameOf(model.text(row, NumberColumn::Number)); };
    // The usual export with the name added after its documented columns.
    const auto bytes = [&] {
        if (type == QLatin1String("json")) {
            QJsonObject top = QJsonDocument::fromJson(NumbersJson::bytes(model)).object();
            QJsonArray rows = top.value(QStringLiteral("rows")).toArray();
            for (qsizetype i = 0; i < rows.size(); ++i) {
                QJsonObject o = rows[i].toObject();
                o.insert(QStringLiteral("name"),
                         nameValue(m_namesFile, o.value(QStringLiteral("number")).toString()));
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
    const QString error = writeExport(output.empty() ? QStringLiteral("-") : q(output), type, bytes, sheet);
    return error.isEmpty() ? Exit::Done : refuse(error);
}

Exit ArchiveCommands::runNamedDiff(const Runner &r)
{
    NumbersModel fileModel;
    const InputFile in(q(*m_tree.file), q(*m_tree.format));
    if (!in.error().isEmpty()) return refuse(in.error());
    if (const QString e = in.named(loadNumbers(in.path(), fileModel)); !e.isEmpty()) return refuse(e);
    UnitJob job(r.jobOptions(r.ports.front()));
    job.addOpenAndLogIn();
    job.addRead(Area::Numbers);
    if (const Exit e = r.runJobs({&job}); e != Exit::Done) return e;
    const QList<PageBytes> &unit = job.pagesRead(Area::Numbers);
    const QList<PageBytes> written = numbersPages(fileModel);
    const AreaDiff diff = NumbersDiff::compare(unit, written);
    // The name of the number the row will hold, else of the one it held.
    const auto nameAt = [&](int row) {
        const QString file = m_namesFile.nameOf(NumbersDiff::rowOf(written, row)[NumberColumn::Number]);
        return file.isEmpty() ? m_namesFile.nameOf(NumbersDiff::rowOf(unit, row)[NumberColumn::Number])
                              : file;
    };
    if (*m_tree.json) {
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

} // namespace zc::cli

// zarvento-bench: transfer timings against the simulated unit over a real pseudo-terminal.
// Prints one figure a line as "name: value unit", with the wire-time limit beside paced runs.
#include "bench_print.h"
#include "bench_rig.h"
#include "devsim/presets.h"
#include "devsim/simulator.h"
#include "history/history_chart.h"
#include "history/history_codec.h"
#include "history/history_filter.h"
#include "history/history_inf.h"
#include "history/history_model.h"
#include "history/history_sheet.h"
#include "link/link_session.h"
#include "link/paged_transfer.h"
#include "numbers/numbers_codec.h"
#include "numbers/numbers_diff.h"
#include "numbers/numbers_find.h"
#include "numbers/numbers_import.h"
#include "numbers/numbers_model.h"
#include "numbers/numbers_paste.h"
#include "numbers/numbers_sheet.h"
#include "numbers/telephone_send.h"
#include "settings/basic_inf.h"
#include "settings/settings_model.h"
#include "sheets/workbook_reader.h"
#include "sheets/workbook_writer.h"
#include "words/link_words.h"
#include "words/reporter.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <span>
#include <vector>

using namespace zc;

namespace {

double wireSeconds(int bytes, int baud)
{
    return bytes * 10.0 / baud;
}

// A paced run: its total, the time the bytes alone need on the line, and their ratio.
void printPaced(const QString &name, double total, double limit, const char *unit)
{
    print(qPrintable(name + QStringLiteral(".paced.total")), total, unit);
    print(qPrintable(name + QStringLiteral(".paced.wire_limit")), limit, unit);
    print(qPrintable(name + QStringLiteral(".paced.ratio")), total / limit, "x");
}

struct Rig
{
    devsim::Simulator sim;
    bench::QuietReporter reporter;
    LinkWords words{reporter};
    LinkSession session{&words};

    explicit Rig(const devsim::Options &o) : sim(o)
    {
        QString error;
        if (!sim.start({}, &error)) {
            std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
            std::exit(1);
        }
        session.open(sim.ptyPath());
    }
    // Runs the event loop until a message or 60 s; true when the message is `success`.
    bool wait(const QString &success)
    {
        QEventLoop loop;
        reporter.loop = &loop;
        reporter.last.clear();
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        reporter.loop = nullptr;
        return reporter.last == success;
    }
};

// Reads the 125 pages of the number list; returns per-page tool overhead in ms (from the
// first byte of a reply to the next request written) and the total time in s.
struct ChainResult
{
    std::vector<double> overheadMs;
    double totalS = 0;
    bool ok = false;
};

// A number list read that only counts: the tool's chain and reply routing without
// decoding, so the figure is the link's own overhead. afterPage runs once the next
// request has been written.
class CountingRead : public Tsend_rec_command
{
public:
    explicit CountingRead(std::function<void()> afterPage)
        : Tsend_rec_command(Area::Numbers), m_afterPage(std::move(afterPage))
    {
    }

protected:
    // Called once the next request has been written.
    void decodePage() override { m_afterPage(); }

private:
    std::function<void()> m_afterPage;
};

ChainResult read125(int baud)
{
    devsim::Options o;
    o.preset = devsim::Preset::Demo;
    o.baud = baud;
    Rig rig(o);
    ChainResult r;
    QElapsedTimer clock;
    qint64 firstByte = -1;
    QObject::connect(&rig.session.comm(), &TComm::OnReceiveData, [&](std::uint8_t) {
        if (firstByte < 0) firstByte = clock.nsecsElapsed();
    });
    CountingRead numbers([&] {
        if (firstByte >= 0) r.overheadMs.push_back((clock.nsecsElapsed() - firstByte) / 1e6);
        firstByte = -1;
    });
    rig.session.attach(numbers);
    clock.start();
    numbers.Read();
    // A number list read that completes is told as the window tells it.
    r.ok = rig.wait(QStringLiteral("Authorized number list read to PC software success."));
    r.totalS = clock.nsecsElapsed() / 1e9;
    return r;
}

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void benchRead125()
{
    const ChainResult fast = read125(0);
    if (!fast.ok) std::fprintf(stderr, "read125: unpaced chain did not complete\n");
    print("read125.overhead_per_page.median", median(fast.overheadMs), "ms");
    print("read125.overhead_per_page.worst",
          fast.overheadMs.empty() ? 0 : *std::max_element(fast.overheadMs.begin(), fast.overheadMs.end()),
          "ms");
    const ChainResult paced = read125(115200);
    if (!paced.ok) std::fprintf(stderr, "read125: paced chain did not complete\n");
    printPaced(QStringLiteral("read125"), paced.totalS, wireSeconds(125 * (9 + 265), 115200), "s");
}

void benchSettings()
{
    devsim::Options o;
    o.baud = 115200;
    Rig rig(o);
    SettingsModel model;
    TBasicInf basic(model);
    rig.session.attach(basic);

    QElapsedTimer clock;
    clock.start();
    basic.Read();
    if (!rig.wait(QStringLiteral("Basic settings read to PC software success.")))
        std::fprintf(stderr, "settings read did not complete: %s\n", qPrintable(rig.reporter.last));
    printPaced(QStringLiteral("settings.read"), clock.nsecsElapsed() / 1e6,
               wireSeconds(2 * (9 + 265), 115200) * 1000, "ms");

    clock.restart();
    basic.Save();
    if (!rig.wait(QStringLiteral("Basic setting saved success")))
        std::fprintf(stderr, "settings save did not complete: %s\n", qPrintable(rig.reporter.last));
    printPaced(QStringLiteral("settings.save"), clock.nsecsElapsed() / 1e6,
               wireSeconds(2 * (265 + 10), 115200) * 1000, "ms");
}

// Median of five runs of f, in ms.
double medianMs(const std::function<void()> &f)
{
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        runs.push_back(t.nsecsElapsed() / 1e6);
    }
    return median(runs);
}

void benchNumbers()
{
    devsim::Options o;
    o.preset = devsim::Preset::Demo;
    o.baud = 115200;
    Rig rig(o);
    NumbersModel model;
    TtelephoneSend send(model);
    rig.session.attach(send);
    QElapsedTimer clock;
    clock.start();
    send.Read();
    if (!rig.wait(QStringLiteral("Authorized number list read to PC software success.")))
        std::fprintf(stderr, "number list read did not complete: %s\n", qPrintable(rig.reporter.last));
    printPaced(QStringLiteral("numbers.read"), clock.nsecsElapsed() / 1e9,
               wireSeconds(125 * (9 + 265), 115200), "s");
    clock.restart();
    send.Save();
    if (!rig.wait(QStringLiteral("Authorized number list saved success")))
        std::fprintf(stderr, "number list save did not complete: %s\n", qPrintable(rig.reporter.last));
    printPaced(QStringLiteral("numbers.save"), clock.nsecsElapsed() / 1e9,
               wireSeconds(125 * (265 + 10), 115200), "s");

    // The table work alone: all 125 pages of the demo list decoded, then encoded.
    const QByteArray image = devsim::presetNumbers(devsim::Preset::Demo);
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(image.constData());
    NumbersModel table;
    print("numbers.decode_1000.ms", medianMs([&] {
              for (int p = 1; p <= kNumberPages; ++p)
                  NumbersCodec::decodePage(p, std::span(bytes + (p - 1) * kPageSize, kPageSize), table);
          }),
          "ms");
    print("numbers.encode_1000.ms", medianMs([&] {
              for (int p = 1; p <= kNumberPages; ++p)
                  NumbersCodec::encodePage(p, table);
          }),
          "ms");
    // What Save asks about: the table's pages against the unit's, unchanged and all deleted.
    QList<PageBytes> unit;
    for (int p = 0; p < kNumberPages; ++p) {
        PageBytes page;
        std::copy(bytes + p * kPageSize, bytes + (p + 1) * kPageSize, page.begin());
        unit << page;
    }
    print("numbers.diff_unchanged.ms",
          medianMs([&] { NumbersDiff::compare(unit, NumbersDiff::tablePages(table)); }), "ms");
    table.pressDeleteAll();
    print("numbers.diff_delete_all.ms",
          medianMs([&] { NumbersDiff::compare(unit, NumbersDiff::tablePages(table)); }), "ms");
}

void benchHistory()
{
    const QByteArray image = devsim::presetHistory(devsim::Preset::Demo);
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(image.constData());
    HistoryModel table;
    print("history.decode_and_finish_1000.ms", medianMs([&] {
              for (int p = 1; p <= kHistoryPages; ++p)
                  HistoryCodec::decodePage(historyPageAddress(p),
                                           std::span(bytes + (p - 1) * kPageSize, kPageSize), table);
              HistoryCodec::FinishHistoryRead(table);
          }),
          "ms");
    print("history.filter_sort_1000.ms", medianMs([&] {
              HistoryModel copy;
              for (int p = 1; p <= kHistoryPages; ++p)
                  HistoryCodec::decodePage(historyPageAddress(p),
                                           std::span(bytes + (p - 1) * kPageSize, kPageSize), copy);
              FilterHistory(copy, QDate(2015, 1, 1), QTime(0, 0), QDate(2030, 12, 31), QTime(23, 59, 59));
          }),
          "ms");

    devsim::Options o;
    o.preset = devsim::Preset::Demo;
    o.baud = 115200;
    Rig rig(o);
    HistoryModel model;
    THistoryInf inf(model);
    rig.session.attach(inf);
    QElapsedTimer clock;
    clock.start();
    inf.Read();
    // No message ends a history read: wait until the chain has run its finishing step.
    while (inf.active() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    printPaced(QStringLiteral("history.read"), clock.nsecsElapsed() / 1e9,
               wireSeconds(500 * (9 + 265), 115200), "s");
}

// Workbook export and import of the full demo tables (1001 rows of 8 cells each), the file
// written and read included.
void benchSheets()
{
    QTemporaryDir dir;
    const QString numbersFile = dir.filePath(QStringLiteral("numbers.xlsx"));
    const QString historyFile = dir.filePath(QStringLiteral("history.xlsx"));

    const QByteArray numbers = devsim::presetNumbers(devsim::Preset::Demo);
    NumbersModel list;
    for (int p = 1; p <= kNumberPages; ++p)
        NumbersCodec::decodePage(
            p,
            std::span(reinterpret_cast<const std::uint8_t *>(numbers.constData()) + (p - 1) * kPageSize,
                      kPageSize),
            list);
    bool saved = true;
    print("sheets.numbers_export.ms", medianMs([&] {
              saved = WorkbookWriter::save(NumbersSheet::toSheet(list), numbersFile).ok() && saved;
          }),
          "ms");
    bool accepted = true;
    print("sheets.numbers_import.ms", medianMs([&] {
              const SheetReadResult read = WorkbookReader::read(numbersFile);
              const NumbersImport::Result result = NumbersImport::check(NumbersSheet::cells(read.sheet));
              accepted = accepted && read.ok() && result.verdict == NumbersImport::Result::Verdict::Apply;
              NumbersImport::apply(result, list);
          }),
          "ms");

    const QByteArray history = devsim::presetHistory(devsim::Preset::Demo);
    HistoryModel log;
    for (int p = 1; p <= kHistoryPages; ++p)
        HistoryCodec::decodePage(
            historyPageAddress(p),
            std::span(reinterpret_cast<const std::uint8_t *>(history.constData()) + (p - 1) * kPageSize,
                      kPageSize),
            log);
    HistoryCodec::FinishHistoryRead(log);
    print("sheets.history_export.ms", medianMs([&] {
              saved = WorkbookWriter::save(HistorySheet::toSheet(log), historyFile).ok() && saved;
          }),
          "ms");
    if (!saved || !accepted)
        std::fprintf(stderr, "sheets: a workbook was not %s\n", saved ? "imported" : "saved");
}

// The number list page at scale: one find keystroke over 1000 rows (matches, the count),
// and pasting 1000 whole rows of tab-separated text with every row checked.
void benchNumberListPage()
{
    NumbersModel model;
    QString text;
    for (int r = 1; r <= NumbersModel::LastEntry; ++r)
        text += QStringLiteral("%1\t+49171%2\t2030/01/02\t08:00\t2031/12/31\t18:30\tno\tno\n")
                    .arg(r)
                    .arg(r * 7919 % 1000000, 7, 10, QLatin1Char('0'));
    const NumbersPaste::Plan first = NumbersPaste::plan(model, NumbersPaste::parse(text), 1, 1);
    NumbersPaste::apply(first, model);
    const QStringList typed = {QStringLiteral("+"),       QStringLiteral("+4"),      QStringLiteral("+49"),
                               QStringLiteral("+491"),    QStringLiteral("+4917"),   QStringLiteral("+49171"),
                               QStringLiteral("+491710"), QStringLiteral("+4917100")};
    int found = 0;
    print("numbers.find_keystroke_1000.ms",
          medianMs([&] {
              for (const QString &t : typed) {
                  const QList<int> rows = NumbersFind::matches(model, t);
                  found += int(
                      NumbersFind::countText(NumbersFind::rowsInUse(model), int(rows.size()), true).size());
              }
          }) / typed.size(),
          "ms");
    print("numbers.find_keystroke_1000.limit", 2, "ms");
    bool pasted = first.ok;
    print("numbers.paste_1000_checked.ms", medianMs([&] {
              const NumbersPaste::Plan plan = NumbersPaste::plan(model, NumbersPaste::parse(text), 1, 1);
              NumbersPaste::apply(plan, model);
              pasted = pasted && plan.ok;
          }),
          "ms");
    print("numbers.paste_1000_checked.limit", 50, "ms");
    if (!pasted || !found) std::fprintf(stderr, "number list page: the paste was refused\n");
}

// The history page's own work over a full log of 1000 records: the filter drawing from the
// whole log into the table, and the chart's counts of what the table then shows.
void benchHistoryFilterAndChart()
{
    QList<HistoryModel::Record> log;
    static const char *const actions[] = {"Relay ON",      "Relay OFF",  "DIN1 Alarm",
                                          "Power failure", "Add number", "Arm"};
    const QDateTime first(QDate(2025, 1, 1), QTime(0, 0));
    for (int i = 0; i < 1000; ++i) {
        const QDateTime at = first.addSecs(qint64(i) * 7919); // about 90 days in all
        log.append({QString::number(i + 1), at.date().toString(Qt::ISODate), at.time().toString(Qt::ISODate),
                    QStringLiteral("SMS"), QString::fromLatin1(actions[i % 6]), QStringLiteral("+4416329600"),
                    QString()});
    }
    HistoryModel model;
    int shown = 0, bars = 0;
    const double ms = medianMs([&] {
        shown =
            FilterHistory(log, model, QDate(2024, 12, 31), QTime(0, 0), QDate(2026, 1, 1), QTime(0, 0)).rows;
        bars = int(HistoryChart::count(model).buckets.size());
    });
    print("history.filter_and_chart_1000.ms", ms, "ms");
    print("history.filter_and_chart_1000.limit", 10, "ms");
    if (shown != 1000 || bars == 0) std::fprintf(stderr, "history: %d records shown, %d bars\n", shown, bars);
}

} // namespace

void benchProvision();                                // bench_provision.cpp
void benchArchive();                                  // bench_archive.cpp
void benchAudit();                                    // bench_audit.cpp
void benchWindow(int runs, const QString &only = {}); // bench_window.cpp
void benchRemote(bool fleetOnly = false);             // bench_remote.cpp

// zarvento-bench [window [RUNS [NAME]] | audit | remote [fleet] | archive]: every figure, or only
// the window's (RUNS alternating runs each, only the operations whose name contains NAME), the
// audit's, the network ports' (through ser2net; only the fleets') or the history archive's.
int main(int argc, char **argv)
{
    // The window runs on the offscreen platform unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "window") == 0) {
        benchWindow(argc > 2 ? qMax(1, atoi(argv[2])) : 5,
                    argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString());
        return 0;
    }
    if (argc > 1 && qstrcmp(argv[1], "archive") == 0) {
        benchArchive();
        return 0;
    }
    if (argc > 1 && qstrcmp(argv[1], "audit") == 0) {
        benchAudit();
        return 0;
    }
    if (argc > 1 && qstrcmp(argv[1], "remote") == 0) {
        benchRemote(argc > 2 && qstrcmp(argv[2], "fleet") == 0);
        return 0;
    }
    benchRead125();
    benchSettings();
    benchNumbers();
    benchHistory();
    benchSheets();
    benchNumberListPage();
    benchProvision();
    benchAudit();
    benchHistoryFilterAndChart();
    benchArchive();
    benchRemote();
    benchWindow(5);
    return 0;
}

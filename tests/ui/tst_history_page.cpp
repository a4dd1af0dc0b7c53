// The history page against the simulated unit: reading the whole log into the grid,
// filtering it to one month, deleting the log on the unit.
#include "link/address_map.h"
#include "ui/form_rig.h"
#include "ui/history_page.h"

#include <QDateEdit>
#include <QTableView>
#include <QTimeEdit>

using namespace zc;
using namespace zc::test;

namespace {

const QString kDeleteWarning =
    QStringLiteral("Warning: Thie operation will DELETE all of the historical data on GSM device! ");

// Records in the unit's log: slots with a year byte that is neither empty (0) nor erased.
int unitRecords(const devsim::Simulator &sim)
{
    const QByteArray log = sim.memory(quint32(kHistoryBase), areaBytes(Area::History));
    const int size = areaMap(Area::History).recordSize;
    int n = 0;
    for (int i = 0; i + size <= log.size(); i += size)
        n += log.at(i + 4) != 0 && quint8(log.at(i + 4)) != 0xFF;
    return n;
}

// Rows with a record number, checked to run from row 1 without a gap.
int compactedRows(const QAbstractItemModel &m)
{
    int n = 0;
    while (n < 1000 && !m.index(n + 1, HistoryModel::NumberColumn).data().toString().isEmpty())
        ++n;
    for (int row = n + 1; row <= 1000; ++row)
        for (int c = HistoryModel::NumberColumn; c <= HistoryModel::ContentColumn; ++c)
            if (!m.index(row, c).data().toString().isEmpty()) return -1;
    return n;
}

// Waits until the reply to the last page was decoded and the finishing pass ran.
bool readEnds(HistoryPage *page, int ms = 120000)
{
    return QTest::qWaitFor(
        [page] {
            return !page->transfer().active();
        },
        ms);
}

} // namespace

class TstHistoryPage : public QObject
{
    Q_OBJECT
private slots:
    void readFilterDeleteAndReadAgain()
    {
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        FormRig rig(o);
        QVERIFY(rig.openAndLogIn());
        auto *page = rig.form->findChild<HistoryPage *>();
        QVERIFY(page);
        QAbstractItemModel *grid = rig.w<QTableView>("strngrd4")->model();
        const int loginRequests = rig.sim->requestCount();
        rig.rec.clear();
        const int records = unitRecords(*rig.sim);
        QVERIFY(records > 100);

        // Read: a second press during the read is refused and does not start a second chain.
        rig.click("btn19");
        QTRY_VERIFY(page->transfer().nextPage() > 3);
        // Filtering now would have the pages still to come written over the filtered rows.
        rig.click("btn19");
        rig.click("btn20");
        QCOMPARE(rig.rec.statuses().filter(QStringLiteral("running")).size(), 2);
        QVERIFY(readEnds(page));
        QCOMPARE(rig.sim->requestCount(), loginRequests + 500);
        QCOMPARE(compactedRows(*grid), records);
        QVERIFY(rig.rec.messages().isEmpty());

        // Filter to the month of row 10: its records only, ascending.
        const QDate day = QDate::fromString(grid->index(10, HistoryModel::DateColumn).data().toString(),
                                            QStringLiteral("yyyy-MM-dd"));
        QVERIFY(day.isValid());
        const QString month = day.toString(QStringLiteral("yyyy-MM"));
        int inMonth = 0;
        for (int row = 1; row <= records; ++row)
            inMonth += grid->index(row, HistoryModel::DateColumn).data().toString().startsWith(month);
        QVERIFY(inMonth > 0 && inMonth < records);
        const QDate first(day.year(), day.month(), 1);
        rig.w<QDateEdit>("dtp1")->setDate(first.addDays(-1));
        rig.w<QTimeEdit>("dtp2")->setTime(QTime(23, 59, 59));
        rig.w<QDateEdit>("dtp3")->setDate(first.addMonths(1));
        rig.w<QTimeEdit>("dtp4")->setTime(QTime(0, 0, 0));
        rig.click("btn20");
        QCOMPARE(compactedRows(*grid), inMonth);
        QString previous;
        for (int row = 1; row <= inMonth; ++row) {
            const QString date = grid->index(row, HistoryModel::DateColumn).data().toString();
            const QString stamp =
                date + QLatin1Char(' ') + grid->index(row, HistoryModel::TimeColumn).data().toString();
            QVERIFY(date.startsWith(month));
            QVERIFY2(previous <= stamp, qPrintable(stamp));
            previous = stamp;
        }
        QCOMPARE(grid->index(1000, HistoryModel::SerialColumn).data().toString(), QStringLiteral("1000"));

        // Delete the log on the unit, then read the empty log.
        rig.rec.expect(kDeleteWarning);
        rig.rec.expect(QStringLiteral("Historical data deleted"));
        QVERIFY(rig.clickAndWait("btn23"));
        QCOMPARE(compactedRows(*grid), inMonth); // the delete leaves the grid alone
        rig.click("btn19");
        QVERIFY(readEnds(page));
        QCOMPARE(compactedRows(*grid), 0);
    }
};

QTEST_MAIN(TstHistoryPage)
#include "tst_history_page.moc"

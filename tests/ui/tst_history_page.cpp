// The history page against the simulated unit: reading the whole log into the grid,
// filtering it to one month and one day and widening it again without a read, deleting
// the log on the unit. The prompts that guard data default to Cancel; the progress text.
#include "link/address_map.h"
#include "ui/form_rig.h"
#include "ui/history_page.h"
#include "ui/page_undo.h"
#include "ui/settings_editor.h"
#include "ui/transfer_eta.h"

#include <QDateEdit>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
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

// Waits until the reply to the last page was decoded and the finishing pass ran: the
// transfer's own end, whichever way it ended.
bool readEnds(HistoryPage *page, int ms = 120000)
{
    Tsend_rec_command &t = page->transfer();
    if (!t.active()) return true;
    QEventLoop loop;
    QObject::connect(&t, &Tsend_rec_command::done, &loop, &QEventLoop::quit);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return !t.active();
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
        // The progress bar counts the pages and says how long is left.
        rig.click("btn19");
        QVERIFY(waitForSignal(&page->transfer(), &Tsend_rec_command::pageRead,
                              [&] { return page->transfer().nextPage() > 3; }));
        ZC_TRY_VERIFY(rig.w<QLabel>("pb1_text")->text().contains(QStringLiteral("/500 \u00b7 ")));
        // Filtering now would have the pages still to come written over the filtered rows.
        rig.click("btn19");
        rig.click("btn20");
        QCOMPARE(rig.rec.statuses().filter(QStringLiteral("running")).size(), 2);
        QVERIFY(readEnds(page));
        QCOMPARE(rig.sim->requestCount(), loginRequests + 500);
        QCOMPARE(compactedRows(*grid), records);
        QVERIFY(rig.rec.messages().isEmpty());
        QVERIFY(rig.rec.statuses().contains(QStringLiteral("History read: %1 records kept").arg(records)));
        const int afterRead = rig.sim->requestCount();

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
        auto *view = rig.w<QTableView>("strngrd4");
        view->scrollToBottom();
        rig.click("btn20");
        QCOMPARE(compactedRows(*grid), inMonth);
        // The view shows the matches from the first, not the rows the filter emptied.
        QVERIFY(view->rowAt(0) <= 1);
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

        // Widen again without a read: a wider range, then Show all.
        rig.w<QDateEdit>("dtp1")->setDate(QDate(2000, 1, 1));
        rig.w<QDateEdit>("dtp3")->setDate(QDate(2079, 12, 31));
        rig.click("btn20");
        QCOMPARE(compactedRows(*grid), records);
        // The chart's bar for one day narrows the grid to that day; Show all brings back the rest.
        rig.click("btn_chart");
        QVERIFY(page->chartShown());
        page->filterDays(day, day);
        int onDay = 0;
        for (int row = 1; row <= records; ++row)
            onDay += !grid->index(row, HistoryModel::NumberColumn).data().toString().isEmpty();
        QVERIFY(onDay > 0 && onDay < records);
        for (int row = 1; row <= onDay; ++row)
            QCOMPARE(grid->index(row, HistoryModel::DateColumn).data().toString(), day.toString(Qt::ISODate));
        rig.click("btn_showall");
        QCOMPARE(compactedRows(*grid), records);
        QCOMPARE(rig.sim->requestCount(), afterRead);
        // The range fields now hold the whole log as a bar holds its days: the last second of
        // the day before the first record to midnight after the last, so filtering keeps all.
        QDate firstDay, lastDay;
        for (int row = 1; row <= records; ++row) {
            const QDate d = QDate::fromString(grid->index(row, HistoryModel::DateColumn).data().toString(),
                                              QStringLiteral("yyyy-MM-dd"));
            firstDay = firstDay.isValid() ? qMin(firstDay, d) : d;
            lastDay = lastDay.isValid() ? qMax(lastDay, d) : d;
        }
        QCOMPARE(rig.w<QDateEdit>("dtp1")->date(), firstDay.addDays(-1));
        QCOMPARE(rig.w<QTimeEdit>("dtp2")->time(), QTime(23, 59, 59));
        QCOMPARE(rig.w<QDateEdit>("dtp3")->date(), lastDay.addDays(1));
        QCOMPARE(rig.w<QTimeEdit>("dtp4")->time(), QTime(0, 0));
        rig.click("btn20");
        QCOMPARE(compactedRows(*grid), records);

        // Delete the log on the unit, then read the empty log. The warning suggests an export
        // first and Enter alone cancels it.
        rig.rec.expectStartsWith(kDeleteWarning, false);
        rig.click("btn23");
        QVERIFY(rig.rec.lastPromptDefaultsToCancel());
        QCOMPARE(rig.sim->requestCount(), afterRead);
        rig.rec.expectStartsWith(kDeleteWarning);
        rig.rec.expect(QStringLiteral("Historical data deleted"));
        QVERIFY(rig.clickAndWait("btn23"));
        QCOMPARE(compactedRows(*grid), records); // the delete leaves the grid alone
        rig.click("btn19");
        QVERIFY(readEnds(page));
        QCOMPARE(compactedRows(*grid), 0);
    }

    // A delete whose reply never comes may or may not have emptied the log: the message says
    // so rather than guessing.
    void deleteWithoutAReplySaysItIsUnknown()
    {
        devsim::Options o;
        o.dropReply = 2; // the login is request 1
        FormRig rig(o);
        QVERIFY(rig.openAndLogIn());
        rig.rec.expectStartsWith(kDeleteWarning);
        rig.rec.expect(
            QStringLiteral("Receive timeout\nIt is unknown whether the unit deleted its log: read the "
                           "history to see."));
        QVERIFY(rig.clickAndWait("btn23"));
        QVERIFY(rig.status().startsWith(QStringLiteral("It is unknown")));
    }

    // A read over unsaved edits says they will be lost; that question, the close question and
    // Delete all offer Cancel as the default. A read over an unchanged page asks as always.
    void guardingPromptsDefaultToCancel()
    {
        FormRig rig;
        QVERIFY(rig.openAndLogIn());
        const QString ask = QStringLiteral("Read the GSM device basic parameters to PC software?");
        const int requests = rig.sim->requestCount();
        rig.rec.expect(ask, false);
        rig.click("btn21");
        QVERIFY(!rig.rec.lastPromptDefaultsToCancel());

        rig.form->settingsModel().setContent(5, QStringLiteral("typed, not saved"));
        rig.rec.expectStartsWith(ask + QLatin1Char('\n'), false);
        rig.click("btn21");
        QVERIFY(rig.rec.messages().last().contains(QStringLiteral("will be lost")));
        QVERIFY(rig.rec.lastPromptDefaultsToCancel());
        // F5 asks the same on the current page.
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        rig.rec.expectStartsWith(ask + QLatin1Char('\n'), false);
        QTest::keyClick(rig.form.get(), Qt::Key_F5);
        QVERIFY(rig.rec.allExpectedSeen());

        rig.rec.expect(
            QStringLiteral("The settings hold changes that were not saved to the unit; closing the "
                           "window loses them.\nClose the window anyway?"),
            false);
        QVERIFY(!rig.form->close());
        QVERIFY(rig.rec.lastPromptDefaultsToCancel());
        QVERIFY(rig.form->isVisible());
        QCOMPARE(rig.sim->requestCount(), requests);
        rig.form->settingsModel().setContent(5, QString());
        rig.form->findChild<SettingsEditor *>()->undo()->markUnchanged();
    }

    // After an export the status line names the whole path until the next status text, the
    // clear timer included, and a click on it opens the folder.
    void savedPathOpensItsFolder()
    {
        struct Folder : FileDialogs
        {
            QString path;
            QString saveFileName(const QString &, const QString &, const QString &, const QString &) override
            {
                return {};
            }
            QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
            QString exportFolder() override { return path; }
        };
        QTemporaryDir dir;
        Folder files;
        files.path = dir.path();
        RecordingReporter rec;
        QStringList opened;
        TForm1::Options o;
        o.dialogs = &rec;
        o.files = &files;
        o.statusClearMs = 50;
        o.discoverPorts = false;
        o.openFolder = [&opened](const QString &folder) { opened << folder; };
        TForm1 form(o);
        form.show();
        form.findChild<HistoryPage *>()->btn18Click();
        auto *status = form.findChild<QLabel *>(QStringLiteral("stat1_status"));
        QVERIFY(status->text().startsWith(QStringLiteral("Saved: ") + dir.path() + u'/'));
        QTest::qWait(150);
        QVERIFY(status->text().startsWith(QStringLiteral("Saved: ")));
        QTest::mouseClick(status, Qt::LeftButton);
        QCOMPARE(opened, QStringList{QFileInfo(dir.path()).absoluteFilePath()});
        form.reporter().setStatus(QStringLiteral("next"));
        QTest::mouseClick(status, Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
    }

    void progressText_data()
    {
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing done yet") << 0 << 500 << 300 << QStringLiteral("0/500");
        QTest::newRow("a page at 24 ms") << 1 << 500 << 24 << QStringLiteral("1/500 \u00b7 12 s left");
        QTest::newRow("rounded up") << 312 << 500 << 7488 << QStringLiteral("312/500 \u00b7 5 s left");
        QTest::newRow("a minute and more")
            << 10 << 125 << 6000 << QStringLiteral("10/125 \u00b7 1 min 9 s left");
        QTest::newRow("last page") << 500 << 500 << 12000 << QStringLiteral("500/500");
    }

    void progressText()
    {
        QFETCH(int, done);
        QFETCH(int, total);
        QFETCH(int, elapsedMs);
        QFETCH(QString, text);
        TransferEta eta;
        eta.start(total, 1000);
        QCOMPARE(eta.pageDone(done, 1000 + elapsedMs), text);
    }

    // A click into a range field selects the part under it: digits typed next replace it.
    void clickIntoAFieldAndType()
    {
        FormRig rig({}, false);
        rig.w<QTabWidget>("pgc1")->setCurrentIndex(2);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        auto *date = rig.w<QDateEdit>("dtp1");
        auto *line = date->findChild<QLineEdit *>();
        QTest::mouseClick(line, Qt::LeftButton, {}, QPoint(4, line->height() / 2));
        QTest::qWait(20);
        QTest::keyClicks(date, QStringLiteral("2024"));
        QCOMPARE(date->date(), QDate(2024, 3, 3));
        auto *time = rig.w<QTimeEdit>("dtp4");
        time->setTime(QTime(12, 0, 0));
        line = time->findChild<QLineEdit *>();
        QTest::mouseClick(line, Qt::LeftButton, {}, QPoint(4, line->height() / 2));
        QTest::qWait(20);
        QTest::keyClicks(time, QStringLiteral("9"));
        QCOMPARE(time->time(), QTime(9, 0, 0));
    }

    // A whole time typed over the selected text of a range time field replaces it.
    void typingAWholeTime_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QTime>("time");
        QTest::newRow("08:30:00") << "08:30:00" << QTime(8, 30);
        QTest::newRow("8:30:00") << "8:30:00" << QTime(8, 30);
        QTest::newRow("083000") << "083000" << QTime(8, 30);
        QTest::newRow("8:3:7") << "8:3:7" << QTime(8, 3, 7);
        QTest::newRow("a minute too many is not taken") << "23:60" << QTime(23, 6);
    }
    void typingAWholeTime()
    {
        QFETCH(QString, typed);
        QFETCH(QTime, time);
        FormRig rig({}, false);
        rig.w<QTabWidget>("pgc1")->setCurrentIndex(2);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        auto *field = rig.w<QTimeEdit>("dtp2");
        field->setTime(QTime(23, 45, 12));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, typed);
        QCOMPARE(field->time(), time);
    }
};

QTEST_MAIN(TstHistoryPage)
#include "tst_history_page.moc"

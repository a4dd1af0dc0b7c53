// The window as a desktop tool: one device operation at a time and Stop, the closed-port
// message, Escape in a cell, looking that changes nothing, undo of a read, and the timers'
// type.
#include "link/address_map.h"
#include "numbers/numbers_codec.h"
#include "settings/settings_model.h"
#include "ui/form_rig.h"
#include "ui/number_list_editor.h"
#include "ui/number_list_page.h"
#include "ui/page_undo.h"
#include "ui/settings_editor.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QRegularExpression>
#include <QShortcut>
#include <QTableView>
#include <QTimer>

using namespace zc;
using namespace zc::test;

namespace {

const QString kSaveOk = QStringLiteral("Authorized number list saved success");

// A unit answering a little slowly, logged in, with every list entry filled in, on the
// number list page.
struct SaveRig
{
    FormRig rig;
    NumberListPage *page;
    NumbersModel &model;
    QByteArray before;
    int requestsBefore;

    // The status stays long enough to be read after a save's last reply and a pause.
    explicit SaveRig(const devsim::Options &options = slowUnit())
        : rig(options, true, 3000), page(rig.form->findChild<NumberListPage *>()), model(page->model()),
          before(rig.sim->memory(numberPageAddress(1), kNumberPages * kPageSize))
    {
        QList<NumberRow> rows(NumbersModel::LastEntry);
        for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
            rows[r - 1][NumberColumn::Number] = QString::number(5550000 + r);
        model.setRows(NumbersModel::FirstEntry, rows, NumberColumn::Number, NumberColumn::Number);
        model.pressAllAlways();
        if (!rig.openAndLogIn()) qFatal("login failed");
        requestsBefore = rig.sim->requestCount();
        // Each test saves this list over a unit it has not read.
        rig.rec.expectStartsWith(kNumbersUnread);
    }
    static devsim::Options slowUnit()
    {
        devsim::Options o;
        o.delayMs = 3;
        return o;
    }
    QByteArray unitPage(int p) const { return rig.sim->memory(numberPageAddress(p), kPageSize); }
    QByteArray tablePage(int p) const
    {
        const auto r = NumbersCodec::encodePage(p, model);
        return QByteArray(reinterpret_cast<const char *>(r.page.data()), kPageSize);
    }
};

} // namespace

class TstDesktop : public QObject
{
    Q_OBJECT
private slots:
    void closedPortIsSaidAtOnce_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *b : {"btn1", "btn21", "btn22", "btn10", "btn9", "btn19", "btn23"})
            QTest::newRow(b) << QString::fromLatin1(b);
    }
    void closedPortIsSaidAtOnce()
    {
        QFETCH(QString, button);
        FormRig rig({}, false);
        auto *b = rig.form->findChild<QPushButton *>(button);
        b->setEnabled(true);
        rig.rec.expectStartsWith(QStringLiteral("The COM port is not open"));
        b->click();
        QVERIFY(rig.rec.allExpectedSeen());
        QVERIFY(!rig.form->session().busy());
    }

    // While a save runs, a read is refused and sends nothing. What the unit receives is the
    // table as it was when Save was pressed: the page's own buttons refuse while the save
    // runs, and a change made behind them is not sent either.
    void readAndEditsDuringASaveNeverReachTheUnit()
    {
        SaveRig s;
        QList<QByteArray> pressed;
        for (int p = 1; p <= kNumberPages; ++p)
            pressed << s.tablePage(p);
        s.rig.rec.expect(kSaveOk);
        s.rig.click("btn9");
        QVERIFY(waitForSignal(&s.page->transfer(), &Tsend_rec_command::pageSaved,
                              [&] { return s.page->transfer().nextPage() > 10; }));
        // The read asks nothing and sends nothing: the recording reporter fails on a question.
        s.rig.click("btn10");
        QVERIFY(s.rig.status().startsWith(QStringLiteral("A save is running")));
        s.rig.form->reporter().setStatus(QString()); // so the next refusal must say it again
        s.rig.click("btn7");                         // Delete all
        QVERIFY(s.rig.status().startsWith(QStringLiteral("A save is running")));
        s.model.pressAllAlways();
        s.model.setText(900, NumberColumn::Number, QStringLiteral("+4400"));
        QVERIFY(waitUntil([&] { return s.rig.rec.allExpectedSeen(); }, 60000));
        QCOMPARE(s.rig.sim->requestCount(), s.requestsBefore + kNumberPages);
        for (int p = 1; p <= kNumberPages; ++p)
            QCOMPARE(s.unitPage(p), pressed[p - 1]);
    }

    // The unit misbehaves during a save; afterwards it holds only pages the user saved, and
    // the message says what it holds.
    void faultsDuringASave_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("message"); // how the message starts
        QTest::addColumn<QString>("holds");   // what it, and then the status line, says the unit holds
        QTest::addColumn<int>("saved");       // pages the unit holds from this save
        const QString page20Unknown = QStringLiteral("Pages 1 to 19 of 125 saved, page 20 may or may not be "
                                                     "saved, pages 21 to 125 not saved: save again.");
        // Requests count the login first: page k of the save is request k + 1.
        QTest::newRow("late acknowledgement") << 0 << "Receive timeout" << page20Unknown << 20;
        QTest::newRow("stray acknowledgement, no reply") << 1 << "Receive timeout" << page20Unknown << 20;
        // Page 21's address (0x2400) holds no start byte the damaged reply could be read on from.
        QTest::newRow("damaged acknowledgement")
            << 2 << "The reply from the unit was damaged"
            << "Pages 1 to 20 of 125 saved, page 21 may or may not be saved, "
               "pages 22 to 125 not saved: save again."
            << 21;
        QTest::newRow("damaged acknowledgement holding a start byte")
            << 7 << "The reply from the unit was damaged" << page20Unknown << 20;
        QTest::newRow("refused page")
            << 3 << "Number list data error"
            << "Pages 1 to 19 of 125 saved, pages 20 to 125 not saved: save again." << 19;
        QTest::newRow("unit vanishes")
            << 4 << "The serial port was lost"
            << "Pages 1 to 20 of 125 saved, page 21 may or may not be saved, pages 22 to "
               "125 not saved: save again."
            << 20;
        QTest::newRow("duplicated acknowledgement") << 5 << kSaveOk << QString() << 125;
        QTest::newRow("false headers in the noise") << 6 << kSaveOk << QString() << 125;
    }
    void faultsDuringASave()
    {
        QFETCH(int, fault);
        QFETCH(QString, message);
        QFETCH(QString, holds);
        QFETCH(int, saved);
        devsim::Options o = SaveRig::slowUnit();
        switch (fault) {
        case 0:
            o.lateReply = 21;
            o.lateMs = 700; // the rig's reply timer is 400 ms
            break;
        case 1:
            o.strayAck = o.dropReply = 21;
            break;
        case 2:
            o.corruptReply = 22;
            break;
        case 3:
            o.refuseWrite = 21;
            break;
        case 4:
            o.vanishAfter = 21;
            break;
        case 5:
            o.duplicateReply = 21;
            break;
        case 6:
            o.noise = o.falseHeaders = true;
            break;
        case 7:
            o.corruptReply = 21;
            break;
        }
        SaveRig s(o);
        QList<QByteArray> pressed;
        for (int p = 1; p <= kNumberPages; ++p)
            pressed << s.tablePage(p);
        s.rig.rec.expectStartsWith(message);
        s.rig.click("btn9");
        QVERIFY(waitUntil([&] { return s.rig.rec.allExpectedSeen(); }, 60000));
        QVERIFY(s.rig.rec.messages().constLast().contains(holds));
        // The user changes the table at once; nothing that comes later may send it: not the
        // late acknowledgement (awaited where the unit sends one), nor a reply timer still
        // running (a pause longer than its interval).
        s.model.pressDeleteAll();
        if (fault == 0)
            QVERIFY(waitUntil(
                [&] { return s.rig.status().startsWith(QStringLiteral("Late reply from the unit ignored")); },
                3000));
        else
            QTest::qWait(FormRig::kReplyTimeoutMs + 100);
        QVERIFY(!s.page->transfer().active());
        for (int p = 1; p <= kNumberPages; ++p)
            QCOMPARE(s.unitPage(p),
                     p <= saved ? pressed[p - 1] : s.before.mid((p - 1) * kPageSize, kPageSize));
        QVERIFY2(s.rig.status().contains(holds), qPrintable(s.rig.status()));
    }

    // Stop (here Escape) ends the save at once: the page on its way may or may not be saved,
    // and nothing after it is sent.
    void stopDuringASaveEndsItAtOnce()
    {
        SaveRig s;
        s.rig.click("btn9");
        QVERIFY(waitForSignal(&s.page->transfer(), &Tsend_rec_command::pageSaved,
                              [&] { return s.page->transfer().nextPage() > 30; }));
        s.rig.rec.expectStartsWith(QStringLiteral("Stopped after "));
        QTest::keyClick(s.page->editor()->grid(),
                        Qt::Key_Escape); // no editor open: Escape reaches the window
        QVERIFY(!s.page->transfer().active());
        QVERIFY(s.rig.rec.allExpectedSeen());
        const QRegularExpressionMatch m =
            QRegularExpression(
                QStringLiteral("^Pages 1 to (\\d+) of 125 saved, page (\\d+) may or may not be saved, "
                               "pages \\d+ to 125 not saved: save again.$"))
                .match(s.rig.status());
        QVERIFY2(m.hasMatch(), qPrintable(s.rig.status()));
        const int done = m.captured(1).toInt();
        QCOMPARE(m.captured(2).toInt(), done + 1);
        QVERIFY2(done >= 29 && done < kNumberPages, qPrintable(s.rig.status()));
        QTest::qWait(100);
        // The page on its way reached the unit; nothing after it was sent.
        QCOMPARE(s.rig.sim->requestCount(), s.requestsBefore + done + 1);
        for (int p = 1; p <= kNumberPages; ++p)
            QCOMPARE(s.unitPage(p),
                     p <= done + 1 ? s.tablePage(p) : s.before.mid((p - 1) * kPageSize, kPageSize));
        QVERIFY(!s.rig.button("btn_stop")->isEnabled());

        // The next Save knows the pages the stopped one saved: it names only the pages not known.
        s.rig.rec.expect(
            QStringLiteral("What the unit holds of the number list on pages %1 to 125 of 125 is not "
                           "known: a save stopped part way there, or it was not read since the port "
                           "was opened.\nThis save replaces the numbers there with this table.\n"
                           "Save anyway?")
                .arg(done + 1));
        s.rig.rec.expect(kSaveOk);
        QVERIFY(s.rig.clickAndWait("btn9", 60000));
        for (int p = 1; p <= kNumberPages; ++p)
            QCOMPARE(s.unitPage(p), s.tablePage(p));
    }

    // Closing the window during a save asks one question, Cancel by default, naming the save,
    // what closing does to the unit, and the pages with edits not saved. Cancel stops nothing.
    void closingDuringASaveAsks()
    {
        SaveRig s;
        s.rig.click("btn9");
        QVERIFY(waitForSignal(&s.page->transfer(), &Tsend_rec_command::pageSaved,
                              [&] { return s.page->transfer().nextPage() > 10; }));
        const QString asked = QStringLiteral(
            "A save of the number list is running. Closing the window stops it: on the unit the pages saved "
            "until then hold this table, the pages after them what they held before; save the number list "
            "again to make it whole.\nThe number list holds changes that were not saved to the unit; closing "
            "the window loses them.\nClose the window anyway?");
        s.rig.rec.expect(asked, false);
        QVERIFY(!s.rig.form->close());
        QVERIFY(s.rig.rec.allExpectedSeen() && s.rig.rec.lastPromptDefaultsToCancel());
        QVERIFY(s.page->transfer().active());
        // OK: the window closes and the save ends where it was.
        s.rig.rec.expect(asked, true);
        QVERIFY(s.rig.form->close());
        QVERIFY(!s.page->transfer().active());
        QTest::qWait(100); // the last request still on the line reaches the unit
        const int sent = s.rig.sim->requestCount();
        QTest::qWait(100);
        QCOMPARE(s.rig.sim->requestCount(), sent);
        const int pages = sent - s.requestsBefore;
        QVERIFY2(pages >= 10 && pages < kNumberPages, QByteArray::number(pages).constData());
        for (int p = pages + 1; p <= kNumberPages; ++p)
            QCOMPARE(s.unitPage(p), s.before.mid((p - 1) * kPageSize, kPageSize));
    }

    // The save goes on while the close question is open; when it ends before the answer, the
    // question is asked again about what is still at stake, and Cancel leaves the window
    // open with the whole list on the unit.
    void closeQuestionIsAskedAgainWhenTheSaveEnds()
    {
        SaveRig s;
        s.rig.form->settingsModel().setContent(5, QStringLiteral("typed, not saved"));
        s.rig.click("btn9");
        QVERIFY(waitForSignal(&s.page->transfer(), &Tsend_rec_command::pageSaved,
                              [&] { return s.page->transfer().nextPage() > 10; }));
        // The success box comes while the question is open.
        s.rig.rec.expect(kSaveOk);
        s.rig.rec.expectStartsWith(QStringLiteral("A save of the number list is running."), true);
        s.rig.rec.expect(
            QStringLiteral("The settings hold changes that were not saved to the unit; closing the "
                           "window loses them.\nClose the window anyway?"),
            false);
        s.rig.rec.whileAsking = [&] {
            QVERIFY(waitUntil([&] { return !s.page->transfer().active(); }, 60000));
        };
        QVERIFY(!s.rig.form->close());
        QVERIFY(s.rig.rec.allExpectedSeen());
        const QStringList shown = s.rig.rec.messages();
        QVERIFY(shown.filter(QStringLiteral("A save of the number list is running."))
                    .constFirst()
                    .contains(QStringLiteral("\nThe settings and the number list hold changes")));
        QVERIFY(s.rig.form->isVisible());
        for (int p = 1; p <= kNumberPages; ++p)
            QCOMPARE(s.unitPage(p), s.tablePage(p));
        s.rig.form->findChild<SettingsEditor *>()->undo()->markUnchanged();
    }

    void escapeRestoresACell()
    {
        FormRig rig({}, false);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        SettingsModel &m = rig.form->settingsModel();
        auto *grid = rig.w<QTableView>("strngrd_write");
        const QString before = m.content(5);
        grid->setFocus();
        grid->setCurrentIndex(m.index(5, SettingsModel::ContentColumn));
        QTest::keyClick(grid, Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("xyz"));
        QCOMPARE(m.content(5), QStringLiteral("xyz")); // the editor starts with its text selected
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(m.content(5), before);
        // An edit that ends where it began leaves no undo step.
        QTest::qWait(10);
        QCOMPARE(rig.form->findChild<SettingsEditor *>()->undo()->stack()->count(), 0);
    }

    // Tabbing through the pick lists, opening one and closing it, and leaving the pickers
    // of a read row as they were change nothing: F5 then reads without a word of edits.
    void lookingIsNoEdit()
    {
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        FormRig rig(o);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        QVERIFY(rig.openAndLogIn());
        const auto noEdits = [&](PageUndo *undo, int steps) {
            return !undo->hasChanges() && undo->stack()->count() == steps;
        };

        PageUndo *settings = rig.form->findChild<SettingsEditor *>()->undo();
        rig.w<QComboBox>("cbb1")->setFocus();
        for (const char *name : {"cbb1", "cbb2", "cbb4", "cbb3", "cbb10", "cbb12"}) {
            QVERIFY2(rig.w<QComboBox>(name)->hasFocus(), name);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        rig.w<QComboBox>("cbb10")->setFocus();
        rig.w<QComboBox>("cbb10")->showPopup();
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        rig.form->activateWindow(); // the offscreen platform leaves no window active after a popup
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        rig.w<QTableView>("strngrd_write")->setFocus();
        QCOMPARE(rig.form->settingsModel().content(3), QStringLiteral("1:NO")); // the entry is written back
        QVERIFY(noEdits(settings, 0));
        rig.rec.expect(kSettingsReadAsk);
        rig.rec.expect(kSettingsReadOk);
        QTest::keyClick(rig.form.get(), Qt::Key_F5);
        QVERIFY(waitUntil([&] { return rig.rec.allExpectedSeen(); }));
        QVERIFY(!rig.rec.lastPromptDefaultsToCancel());

        auto *page = rig.form->findChild<NumberListPage *>();
        rig.w<QTabWidget>("pgc1")->setCurrentWidget(page);
        rig.rec.expect(QStringLiteral("Read the Authorized number list from GSM device to PC software?"));
        rig.rec.expect(QStringLiteral("Authorized number list read to PC software success."));
        QVERIFY(rig.clickAndWait("btn10", 60000));
        PageUndo *numbers = page->editor()->undo();
        const int steps = numbers->stack()->count(); // the read is one
        QTableView *grid = page->editor()->grid();
        const NumberRow before = page->model().row(2); // a window read from the unit: 20YY-MM-DD
        QVERIFY(!before[NumberColumn::EndTime].isEmpty());
        for (int c = NumberColumn::StartDate; c <= NumberColumn::EndTime; ++c) {
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(page->model().index(2, c)).center());
            QDateTimeEdit *picker = page->editor()->picker(c);
            QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(4, picker->height() / 2));
            QVERIFY(picker->hasFocus());
            QTest::keyClick(picker, Qt::Key_Tab);
        }
        QCOMPARE(page->model().row(2), before);
        QVERIFY(noEdits(numbers, steps));
        rig.rec.expect(QStringLiteral("Read the Authorized number list from GSM device to PC software?"),
                       false);
        QTest::keyClick(rig.form.get(), Qt::Key_F5);
        QVERIFY(rig.rec.allExpectedSeen());
        QVERIFY(!rig.rec.lastPromptDefaultsToCancel());
    }

    void undoOfAReadRestoresTheTable()
    {
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        FormRig rig(o);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        SettingsModel &m = rig.form->settingsModel();
        PageUndo *undo = rig.form->findChild<SettingsEditor *>()->undo();
        const auto table = [&m] {
            QStringList t;
            for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item)
                t << m.content(item) << QString::number(m.pickSelection(item));
            return t;
        };
        m.setContent(5, QStringLiteral("typed before the read"));
        const QStringList beforeRead = table();
        QVERIFY(rig.openAndLogIn());
        rig.rec.expectStartsWith(QStringLiteral("Read the GSM device basic parameters to PC software?"));
        rig.rec.expect(QStringLiteral("Basic settings read to PC software success."));
        QVERIFY(rig.clickAndWait("btn21"));
        const QStringList afterRead = table();
        QVERIFY(afterRead != beforeRead);
        QVERIFY(!undo->hasChanges());

        rig.w<QTableView>("strngrd_write")->setFocus();
        QTest::keyClick(rig.w<QTableView>("strngrd_write"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(table(), beforeRead);
        QVERIFY(undo->hasChanges());
        QTest::keyClick(rig.w<QTableView>("strngrd_write"), Qt::Key_Z,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(table(), afterRead);
        // Ctrl+Y redoes as well, whatever the platform binds to redo.
        bool ctrlY = false;
        for (const QShortcut *shortcut : rig.form->findChildren<QShortcut *>())
            ctrlY |= shortcut->keys().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)) &&
                     shortcut->keys().contains(QKeySequence(Qt::CTRL | Qt::Key_Y));
        QVERIFY(ctrlY);
        QTest::keyClick(rig.w<QTableView>("strngrd_write"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(table(), beforeRead);
        QTest::keyClick(rig.w<QTableView>("strngrd_write"), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(table(), afterRead);
    }
};

QTEST_MAIN(TstDesktop)
#include "tst_desktop.moc"

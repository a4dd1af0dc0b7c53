// The number list page: its grid editor driven by clicks and keys, and reading and saving
// the list through the window against the simulated unit.
#include "link/address_map.h"
#include "numbers/numbers_codec.h"
#include "ui/form_rig.h"
#include "ui/number_find_bar.h"
#include "ui/number_list_editor.h"
#include "ui/number_list_page.h"
#include "ui/page_undo.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QWheelEvent>

using namespace zc;
using namespace zc::test;

namespace {

const QString kAsk = QStringLiteral("Read the Authorized number list from GSM device to PC software?");
const QString kReadOk = QStringLiteral("Authorized number list read to PC software success.");
const QString kSaveOk = QStringLiteral("Authorized number list saved success");

struct PageRig
{
    FormRig &rig;
    NumberListPage *page = rig.form->findChild<NumberListPage *>();
    NumbersModel &model = page->model();
    QTableView *grid = page->findChild<QTableView *>(QStringLiteral("strngrd3"));

    explicit PageRig(FormRig &r) : rig(r) { rig.w<QTabWidget>("pgc1")->setCurrentWidget(page); }
    QDateTimeEdit *picker(const char *name) const
    {
        return page->findChild<QDateTimeEdit *>(QString::fromLatin1(name));
    }
    QRect cell(int row, int column) const { return grid->visualRect(model.index(row, column)); }
    void click(int row, int column) const
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(row, column).center());
    }
    void clickPicker(const char *name) const
    {
        QDateTimeEdit *p = picker(name);
        QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(4, p->height() / 2));
    }
    int visiblePickers() const
    {
        int n = 0;
        for (auto *p : page->findChildren<QDateTimeEdit *>())
            n += p->isVisible();
        return n;
    }
    // Keys as a user types them: each to whatever has the focus at that moment.
    static void type(const QString &keys)
    {
        for (QChar c : keys)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers m = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, m);
    }
    void clickSerial(int row, Qt::KeyboardModifiers m = {}) const
    {
        QHeaderView *h = grid->verticalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, m,
                          QPoint(h->width() / 2, h->sectionViewportPosition(row) + 5));
    }
    // Presses on one serial, moves over to another with the button held, and releases there.
    void dragSerial(int from, int to) const
    {
        QWidget *v = grid->verticalHeader()->viewport();
        const auto at = [this](int row) {
            return QPoint(grid->verticalHeader()->width() / 2,
                          grid->verticalHeader()->sectionViewportPosition(row) + 5);
        };
        QTest::mousePress(v, Qt::LeftButton, {}, at(from));
        QMouseEvent move(QEvent::MouseMove, at(to), v->mapToGlobal(at(to)), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(v, &move);
        QTest::mouseRelease(v, Qt::LeftButton, {}, at(to));
    }
    // Rows 1..n hold numbers 1000+r with a window, every third row always allowed.
    void fill(int n) const
    {
        QList<NumberRow> rows;
        for (int r = 1; r <= n; ++r) {
            NumberRow row = model.row(r);
            row[NumberColumn::Number] = QString::number(1000 + r);
            if (r % 3) {
                row[NumberColumn::StartDate] =
                    QStringLiteral("2030-01-%1").arg(r % 28 + 1, 2, 10, QLatin1Char('0'));
                row[NumberColumn::StartTime] = QStringLiteral("08:00");
                row[NumberColumn::EndDate] = QStringLiteral("2031-12-31");
                row[NumberColumn::EndTime] = QStringLiteral("18:30");
            } else {
                row[NumberColumn::Always] = QStringLiteral("yes");
            }
            rows << row;
        }
        model.setRows(1, rows, NumberColumn::Number, NumberColumn::Delete);
        QCoreApplication::processEvents(); // the fill is an undo step of its own
    }
    QStringList texts(int row) const
    {
        QStringList out;
        for (int c = NumberColumn::Number; c <= NumberColumn::Delete; ++c)
            out << model.text(row, c);
        return out;
    }
    int rowsHolding(int column, const QString &text) const
    {
        int n = 0;
        for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
            n += model.text(r, column) == text;
        return n;
    }
    // Every entry the unit holds reads as its table row (read), or equals the row as the
    // table sends it (saved).
    bool unitHoldsTable(bool saved, int firstRow = 1, int lastRow = NumbersModel::LastEntry) const
    {
        for (int r = firstRow; r <= lastRow; ++r) {
            const QByteArray held = rig.sim->memory(numberPageAddress(1) + (r - 1) * 32, 32);
            const auto bytes =
                std::span<const std::uint8_t, 32>(reinterpret_cast<const std::uint8_t *>(held.data()), 32);
            NumberRow shown = NumbersCodec::decodeEntry(bytes), row = model.row(r);
            shown[NumberColumn::Serial] = row[NumberColumn::Serial];
            shown[NumberColumn::Delete] = row[NumberColumn::Delete];
            const auto sent = NumbersCodec::encodeEntry(row);
            if (saved ? !sent || held != QByteArray(reinterpret_cast<const char *>(sent->data()), 32)
                      : shown != row) {
                qWarning("row %d differs", r);
                return false;
            }
        }
        return true;
    }
};

} // namespace

class TstNumberListPage : public QObject
{
    Q_OBJECT
private slots:
    void editorWithClicksAndKeys()
    {
        FormRig rig({}, false);
        PageRig p(rig);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        QCOMPARE(p.grid->currentIndex(), p.model.index(0, NumberColumn::Number));
        QCOMPARE(p.visiblePickers(), 0);

        // A number is typed in place.
        p.click(3, NumberColumn::Number);
        QTest::keyClick(p.grid, Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("+4930"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ZC_TRY_COMPARE(p.model.text(3, NumberColumn::Number), QStringLiteral("+4930"));

        // Each picker lies over its current cell and writes a value set in it back on leaving
        // it. Left as it was it changes nothing; Enter takes the value it shows.
        p.click(3, NumberColumn::StartDate);
        QDateTimeEdit *start = p.picker("dtp_startdate");
        QVERIFY(start->isVisible());
        QCOMPARE(start->geometry().topLeft(), p.cell(3, NumberColumn::StartDate).topLeft());
        QCOMPARE(start->height(), p.cell(3, NumberColumn::StartDate).height());
        p.clickPicker("dtp_startdate");
        QVERIFY(start->hasFocus());
        p.click(3, NumberColumn::EndDate);
        QVERIFY(p.model.text(3, NumberColumn::StartDate).isEmpty());
        p.click(3, NumberColumn::StartDate);
        p.clickPicker("dtp_startdate");
        QTest::keyClick(start, Qt::Key_Return);
        QCOMPARE(p.model.text(3, NumberColumn::StartDate), QStringLiteral("2015-03-06"));
        p.click(3, NumberColumn::EndDate);
        QVERIFY(!start->isVisible());
        p.clickPicker("dtp_enddate");
        p.picker("dtp_enddate")->setDate(QDate(2031, 12, 9));
        QVERIFY(p.model.text(3, NumberColumn::EndDate).isEmpty());
        p.click(3, NumberColumn::EndTime);
        QCOMPARE(p.model.text(3, NumberColumn::EndDate), QStringLiteral("2031-12-09"));
        p.clickPicker("dtp_endtime");
        p.picker("dtp_endtime")->setTime(QTime(7, 30));
        // Leaving for the Always cell writes the time, then the tick empties the window.
        p.click(3, NumberColumn::Always);
        QCOMPARE(p.model.text(3, NumberColumn::Always), QStringLiteral("yes"));
        for (int c = NumberColumn::StartDate; c <= NumberColumn::EndTime; ++c)
            QVERIFY(p.model.text(3, c).isEmpty());
        QCOMPARE(p.visiblePickers(), 0);
        p.click(3, NumberColumn::EndDate); // always allowed: no picker
        QCOMPARE(p.visiblePickers(), 0);

        // A readable cell loads its picker; an unreadable one is only marked.
        p.model.setText(4, NumberColumn::StartDate, QStringLiteral("2030-02-28"));
        p.click(4, NumberColumn::StartDate);
        QCOMPARE(start->date(), QDate(2030, 2, 28));
        p.model.setText(5, NumberColumn::StartDate, QStringLiteral("20x4/1a/b5"));
        p.model.setText(6, NumberColumn::StartDate, QStringLiteral("2024/13/05"));
        p.model.setText(6, NumberColumn::EndDate, QStringLiteral("2024/12/31"));
        p.click(5, NumberColumn::StartDate);
        QCOMPARE(start->date(), QDate(2030, 2, 28));
        const NumberListDelegate *d = p.page->editor()->delegate();
        QCOMPARE(d->background(p.model.index(5, NumberColumn::StartDate)).color(), d->warningColour());
        QCOMPARE(d->background(p.model.index(6, NumberColumn::StartDate)).color(), d->warningColour());
        QCOMPARE(d->background(p.model.index(6, NumberColumn::EndDate)).style(), Qt::NoBrush);

        // The buttons set whole columns by their own flag alone.
        for (const char *name : {"btn6", "btn7"})
            rig.button(name)->setEnabled(true);
        rig.click("btn7");
        p.click(8, NumberColumn::Delete);
        QCOMPARE(p.rowsHolding(NumberColumn::Delete, QStringLiteral("yes")), 999);
        rig.click("btn7");
        rig.click("btn7");
        QCOMPARE(p.rowsHolding(NumberColumn::Delete, QStringLiteral("yes")), 1000);
        for (int i = 0; i < 3; ++i)
            rig.click("btn6");
        QCOMPARE(p.rowsHolding(NumberColumn::Always, QStringLiteral("yes")), 1000);

        // One wheel notch scrolls one row, over the grid or anywhere on the page.
        QScrollBar *bar = p.grid->verticalScrollBar();
        const int top = bar->value();
        for (QWidget *w : {p.grid->viewport(), static_cast<QWidget *>(p.page)}) {
            QWheelEvent wheel(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w, &wheel);
        }
        QCOMPARE(bar->value(), top + 2);
    }

    void findWithCount()
    {
        FormRig rig({}, false);
        PageRig p(rig);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        p.fill(312);
        auto *count = p.page->findChild<QLabel *>(QStringLiteral("lbl_findcount"));
        QCOMPARE(count->text(), QStringLiteral("312 of 1000 rows in use"));

        // Ctrl+F from the grid; digits and "+" only.
        p.click(2, NumberColumn::Number);
        QTest::keyClick(p.grid, Qt::Key_F, Qt::ControlModifier);
        QLineEdit *field = p.page->findChild<QLineEdit *>(QStringLiteral("edt_find"));
        QVERIFY(field->hasFocus());
        PageRig::type(QStringLiteral("x12"));
        QCOMPARE(field->text(), QStringLiteral("12"));
        PageRig::type(QStringLiteral("0"));
        // 1120, 1200..1209 hold "120": 11 rows; the first is current.
        QCOMPARE(count->text(), QStringLiteral("312 of 1000 rows in use \u00b7 11 found"));
        QCOMPARE(p.grid->currentIndex().row(), 120);
        PageRig::key(Qt::Key_Return);
        QCOMPARE(p.grid->currentIndex().row(), 200);
        PageRig::key(Qt::Key_F3);
        QCOMPARE(p.grid->currentIndex().row(), 201);
        PageRig::key(Qt::Key_F3, Qt::ShiftModifier);
        PageRig::key(Qt::Key_F3, Qt::ShiftModifier);
        PageRig::key(Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(p.grid->currentIndex().row(), 209); // wrapped round
        PageRig::key(Qt::Key_Escape);
        QVERIFY(p.grid->hasFocus());
        const auto *d = p.page->editor()->delegate();
        QCOMPARE(d->background(p.model.index(205, NumberColumn::Always)).color(), d->foundColour());
        QCOMPARE(d->background(p.model.index(210, NumberColumn::Number)).style(), Qt::NoBrush);

        // A number changed elsewhere joins the find.
        p.model.setText(700, NumberColumn::Number, QStringLiteral("+491205"));
        QCOMPARE(count->text(), QStringLiteral("313 of 1000 rows in use \u00b7 12 found"));
        // Ctrl+G: the first row without a number, ready for typing.
        p.model.setText(17, NumberColumn::Number, QString());
        QTest::keyClick(p.grid, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(p.grid->currentIndex(), p.model.index(17, NumberColumn::Number));
    }

    void filterViewThenSaveWritesEveryRow()
    {
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        FormRig rig(o);
        PageRig p(rig);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        p.fill(1000);
        auto *field = p.page->findChild<QLineEdit *>(QStringLiteral("edt_find"));
        field->setText(QStringLiteral("199"));
        p.page->findChild<QCheckBox *>(QStringLiteral("chk_matching"))->setChecked(true);
        int shown = 0;
        for (int r = 1; r <= NumbersModel::LastEntry; ++r)
            shown += !p.grid->isRowHidden(r);
        QCOMPARE(shown, int(p.page->findBar()->matches().size()));
        QCOMPARE(shown, 11);                         // 1199, 1990..1999
        QCOMPARE(p.grid->currentIndex().row(), 199); // the row keeps its slot number
        QVERIFY(rig.openAndLogIn());
        rig.rec.expectStartsWith(kNumbersUnread);
        rig.rec.expect(kSaveOk);
        rig.click("btn9");
        // While the save runs the page's table stays as it was when Save was pressed.
        QVERIFY(waitUntil([&] { return p.page->transfer().active(); }));
        rig.click("btn7");
        p.click(199, NumberColumn::Always);
        QCOMPARE(p.rowsHolding(NumberColumn::Delete, QStringLiteral("yes")), 0);
        QCOMPARE(p.model.text(199, NumberColumn::Always), QStringLiteral("no"));
        QCOMPARE(rig.status(), QStringLiteral("A save is running; wait until it ends"));
        QVERIFY(waitUntil([&] { return rig.rec.allExpectedSeen(); }, 60000));
        QVERIFY(p.unitHoldsTable(true));
        QCOMPARE(rig.sim->memory(numberPageAddress(125) + 7 * 32, 4), QByteArray("2000"));
    }

    void multiRowDeleteIsOneUndoStep()
    {
        FormRig rig({}, false);
        PageRig p(rig);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        p.fill(20);
        PageUndo *undo = p.page->editor()->undo();
        QCOMPARE(undo->stack()->count(), 1);
        QList<QStringList> before;
        for (int r = 1; r <= 20; ++r)
            before << p.texts(r);

        // Rows 4..6 by dragging and Shift-click, 9 and 10 by Ctrl-click, over the Serial column.
        p.dragSerial(4, 5);
        QCOMPARE(p.page->editor()->selectedRows(), (QList<int>{4, 5}));
        p.clickSerial(6, Qt::ShiftModifier);
        p.clickSerial(9, Qt::ControlModifier);
        p.clickSerial(10, Qt::ControlModifier);
        QCOMPARE(p.page->editor()->selectedRows(), (QList<int>{4, 5, 6, 9, 10}));
        QTest::keyClick(p.grid, Qt::Key_Delete);
        for (int r = 1; r <= 20; ++r) {
            const bool cleared = (r >= 4 && r <= 6) || r == 9 || r == 10;
            const QStringList empty{"", "", "", "", "", "no", before[r - 1].last()};
            QCOMPARE(p.texts(r), cleared ? empty : before[r - 1]);
        }
        QCOMPARE(undo->stack()->count(), 2);
        QTest::keyClick(p.grid, Qt::Key_Z, Qt::ControlModifier);
        for (int r = 1; r <= 20; ++r)
            QCOMPARE(p.texts(r), before[r - 1]);
    }

    void copyThenPasteRoundTrip()
    {
        FormRig rig({}, false);
        PageRig p(rig);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        p.fill(12);
        p.clickSerial(4);
        p.clickSerial(6, Qt::ShiftModifier);
        QTest::keyClick(p.grid, Qt::Key_C, Qt::ControlModifier);
        const QString copied = QGuiApplication::clipboard()->text();
        QCOMPARE(copied.count(u'\n'), 3);
        QCOMPARE(copied.section(u'\n', 0, 0),
                 QStringLiteral("4\t1004\t2030-01-05\t08:00\t2031-12-31\t18:30\tno\tno"));

        // Whole rows replace rows from the current row on; Serial is never written.
        PageUndo *undo = p.page->editor()->undo();
        const int steps = undo->stack()->count();
        p.click(500, NumberColumn::EndTime);
        QTest::keyClick(p.grid, Qt::Key_V, Qt::ControlModifier);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(p.texts(500 + i), p.texts(4 + i));
            QCOMPARE(p.model.text(500 + i, NumberColumn::Serial), QString::number(500 + i));
        }
        QCOMPARE(undo->stack()->count(), steps + 1);

        // A block of cells lands at the current cell, as from a spreadsheet program (CR LF).
        QGuiApplication::clipboard()->setText(QStringLiteral("2032/02/03\t09:15\r\n2032/02/04\t09:45\r\n"));
        p.click(7, NumberColumn::EndDate);
        QTest::keyClick(p.grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(p.texts(7), (QStringList{"1007", "2030-01-08", "08:00", "2032-02-03", "09:15", "no", "no"}));
        QCOMPARE(p.texts(8), (QStringList{"1008", "2030-01-09", "08:00", "2032-02-04", "09:45", "no", "no"}));

        // A spreadsheet's copy: the headers above the cells, times with seconds.
        QGuiApplication::clipboard()->setText(
            QStringLiteral("Start Date\tStart Time\n2031/03/04\t06:00:00\n2031-03-05\t21:30:00\n"));
        p.click(10, NumberColumn::StartDate);
        QTest::keyClick(p.grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(p.texts(10),
                 (QStringList{"1010", "2031-03-04", "06:00", "2031-12-31", "18:30", "no", "no"}));
        QCOMPARE(p.texts(11),
                 (QStringList{"1011", "2031-03-05", "21:30", "2031-12-31", "18:30", "no", "no"}));
        // Seconds the unit cannot keep are refused, not dropped.
        QGuiApplication::clipboard()->setText(QStringLiteral("07:30:15\n"));
        p.click(5, NumberColumn::StartTime);
        rig.rec.expect(
            QStringLiteral("Nothing was pasted: 1 row would be wrong.\nRow 5: Start Time \"07:30:15\": "
                           "the unit keeps hours and minutes only, so the seconds must be 00"));
        QTest::keyClick(p.grid, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(rig.rec.allExpectedSeen());
        QCOMPARE(p.model.text(5, NumberColumn::StartTime), QStringLiteral("08:00"));
    }

    // A time typed equal to the picker's last value is an edit like any other, whether the
    // cell is left with Tab, a click or Enter: the unit holds every typed time. After Enter
    // or Escape the cell shows its text, in the form a read gives; the next key edits again.
    void typedValuesReachTheUnit()
    {
        FormRig rig;
        PageRig p(rig);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        QVERIFY(rig.openAndLogIn());
        for (int r = 44; r <= 46; ++r) {
            p.model.setText(r, NumberColumn::Number, QString::number(5550000 + r));
            p.grid->scrollTo(p.model.index(r, NumberColumn::StartDate));
            p.click(r, NumberColumn::StartDate);
            PageRig::type(QStringLiteral("20261210"));
            PageRig::key(Qt::Key_Tab);
            PageRig::type(QStringLiteral("0600"));
            PageRig::key(Qt::Key_Tab);
            PageRig::type(QStringLiteral("20261231"));
            PageRig::key(Qt::Key_Tab);
            PageRig::type(QStringLiteral("2100"));
            if (r == 44) PageRig::key(Qt::Key_Tab);
            if (r == 45) p.click(r, NumberColumn::Number);
            if (r == 46) PageRig::key(Qt::Key_Return);
            QCOMPARE(p.texts(r).mid(1, 4), (QStringList{"2026-12-10", "06:00", "2026-12-31", "21:00"}));
        }
        // Enter put the picker away over its cell; a key brings it back and edits.
        QCOMPARE(p.grid->currentIndex(), p.model.index(46, NumberColumn::EndTime));
        QCOMPARE(p.visiblePickers(), 0);
        PageRig::type(QStringLiteral("2"));
        QDateTimeEdit *endTime = p.picker("dtp_endtime");
        QVERIFY(endTime->isVisible() && endTime->hasFocus());
        PageRig::key(Qt::Key_Escape);
        QCOMPARE(p.visiblePickers(), 0);
        QCOMPARE(p.model.text(46, NumberColumn::EndTime), QStringLiteral("21:00"));
        // A date picker shows its whole year.
        p.click(46, NumberColumn::StartDate);
        auto *line = p.picker("dtp_startdate")->findChild<QLineEdit *>();
        QCOMPARE(line->text(), QStringLiteral("2026-12-10"));
        QVERIFY(line->fontMetrics().horizontalAdvance(line->text()) < line->width());

        rig.rec.expectStartsWith(kNumbersUnread);
        rig.rec.expect(kSaveOk);
        QVERIFY(rig.clickAndWait("btn9", 60000));
        QVERIFY(p.unitHoldsTable(true, 44, 46));
        for (int r = 44; r <= 46; ++r) {
            const QByteArray held = rig.sim->memory(numberPageAddress(1) + (r - 1) * 32, 32);
            const NumberRow read = NumbersCodec::decodeEntry(
                std::span<const std::uint8_t, 32>(reinterpret_cast<const std::uint8_t *>(held.data()), 32));
            QCOMPARE(read[NumberColumn::StartTime], QStringLiteral("06:00"));
            QCOMPARE(read[NumberColumn::EndTime], QStringLiteral("21:00"));
            QCOMPARE(read[NumberColumn::StartDate], p.model.text(r, NumberColumn::StartDate));
        }
    }

    void refusedPasteChangesNothing()
    {
        FormRig rig({}, false);
        PageRig p(rig);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        p.fill(12);
        QList<QStringList> before;
        for (int r = 1; r <= 12; ++r)
            before << p.texts(r);
        QGuiApplication::clipboard()->setText(QStringLiteral(
            "Serial\tAuthorized number\tStart Date\tStart Time \tEnd Date\tEnd Time\tAlways(V)\tDelete(V)\n"
            "1\t5550001\t2024/05/06\t08:00\t2024/06/30\t18:30\tno\tno\n"
            "2\t5550002\t2024/05/06\t7:30\t2024/06/30\t18:30\tno\tno\n"
            "3\t12345678901234567890123\t\t\t\t\tyes\tno\n"
            "4\t5550004\t2024/05/06\t08:00\t2024/05/05\t18:30\tno\tno\n"
            "5\t5550005\twhatever\t\t\t\tno\tyes\n"));
        p.click(2, NumberColumn::Number);
        rig.rec.expectStartsWith(QStringLiteral(
            "Nothing was pasted: 2 rows would be wrong.\nRow 4: the number has 23 characters"));
        QTest::keyClick(p.grid, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(rig.rec.allExpectedSeen());
        const QString message = rig.rec.messages().last();
        QVERIFY(message.contains(QStringLiteral("Row 5: the window ends")));
        for (int r = 1; r <= 12; ++r)
            QCOMPARE(p.texts(r), before[r - 1]);
        // Rows past the end of the list refuse the paste too.
        p.click(999, NumberColumn::Number);
        rig.rec.expectStartsWith(
            QStringLiteral("Nothing was pasted: the 5 rows from row 999 on reach past row 1000."));
        QTest::keyClick(p.grid, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(rig.rec.allExpectedSeen());
    }

    void pickersCommitOnEveryRoute()
    {
        FormRig rig;
        PageRig p(rig);
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        QVERIFY(rig.openAndLogIn());
        p.model.setText(3, NumberColumn::Number, QStringLiteral("555"));
        QDateTimeEdit *startDate = p.picker("dtp_startdate");
        QDateTimeEdit *startTime = p.picker("dtp_starttime");

        // The first keystroke edits the picker; Tab commits and moves on.
        p.click(3, NumberColumn::StartDate);
        QVERIFY(p.grid->hasFocus());
        PageRig::type(QStringLiteral("20240506"));
        QVERIFY(startDate->hasFocus());
        PageRig::key(Qt::Key_Tab);
        QCOMPARE(p.model.text(3, NumberColumn::StartDate), QStringLiteral("2024-05-06"));
        QCOMPARE(p.grid->currentIndex(), p.model.index(3, NumberColumn::StartTime));
        QVERIFY(startTime->isVisible());
        // Enter commits a typed time.
        PageRig::type(QStringLiteral("0800"));
        PageRig::key(Qt::Key_Return);
        QCOMPARE(p.model.text(3, NumberColumn::StartTime), QStringLiteral("08:00"));
        QVERIFY(p.grid->hasFocus());
        // Escape gives the cell and the picker back what they held.
        PageRig::type(QStringLiteral("1"));
        PageRig::key(Qt::Key_Escape);
        QCOMPARE(p.model.text(3, NumberColumn::StartTime), QStringLiteral("08:00"));
        QCOMPARE(startTime->time(), QTime(8, 0));

        // A click elsewhere commits; the picker hides itself when the focus leaves the grid. A
        // date typed the way it is spoken goes in in the picker's form.
        p.click(3, NumberColumn::EndDate);
        PageRig::type(QStringLiteral("31.12.2024"));
        QTest::mouseClick(p.page->findChild<QLineEdit *>(QStringLiteral("edt_find")), Qt::LeftButton);
        QCOMPARE(p.model.text(3, NumberColumn::EndDate), QStringLiteral("2024-12-31"));
        QVERIFY(!p.picker("dtp_enddate")->isVisible());

        // A typed date that is no day, and a typed number the unit cannot hold, are refused
        // with their reasons; the cells keep their texts.
        p.click(4, NumberColumn::EndDate);
        PageRig::type(QStringLiteral("30.02.2025"));
        rig.rec.expectStartsWith(QStringLiteral("End Date \"30.02.2025\" is no date the unit keeps"));
        PageRig::key(Qt::Key_Return);
        QVERIFY(rig.rec.allExpectedSeen());
        QCOMPARE(p.model.text(4, NumberColumn::EndDate), QString());
        p.click(4, NumberColumn::Number);
        QTest::keyClick(p.grid, Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("55x0123"));
        rig.rec.expect(
            QStringLiteral("Row 4 keeps its number: Authorized number \"55x0123\": a number holds only "
                           "\"+\" and digits"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(waitUntil([&] { return rig.rec.allExpectedSeen(); }));
        QCOMPARE(p.model.text(4, NumberColumn::Number), QString());

        // Another page, or a scroll, commits too.
        p.click(4, NumberColumn::StartDate);
        PageRig::type(QStringLiteral("20250102"));
        auto *tabs = rig.w<QTabWidget>("pgc1");
        tabs->setCurrentIndex(0);
        QCOMPARE(p.model.text(4, NumberColumn::StartDate), QStringLiteral("2025-01-02"));
        tabs->setCurrentWidget(p.page);
        p.click(4, NumberColumn::StartTime);
        PageRig::type(QStringLiteral("0945"));
        QWheelEvent wheel(QPointF(5, 5), p.grid->viewport()->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(QApplication::focusWidget(), &wheel);
        QCOMPARE(p.model.text(4, NumberColumn::StartTime), QStringLiteral("09:45"));

        // Save with a picker open sends what it shows; a read brings every value back.
        p.click(3, NumberColumn::EndTime);
        PageRig::type(QStringLiteral("1830"));
        rig.rec.expectStartsWith(kNumbersUnread);
        rig.rec.expect(kSaveOk);
        QVERIFY(rig.clickAndWait("btn9", 60000));
        QCOMPARE(p.model.text(3, NumberColumn::EndTime), QStringLiteral("18:30"));
        p.model.setText(3, NumberColumn::StartDate, QString());
        rig.rec.expectStartsWith(kAsk); // and says that the edit will be lost
        rig.rec.expect(kReadOk);
        QVERIFY(rig.clickAndWait("btn10", 60000));
        QCOMPARE(p.texts(3), (QStringList{"555", "2024-05-06", "08:00", "2024-12-31", "18:30", "no", "no"}));
    }

    void readEditSaveAgainstTheUnit()
    {
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        FormRig rig(o);
        PageRig p(rig);
        QVERIFY(rig.openAndLogIn());
        rig.rec.expect(kAsk);
        rig.rec.expect(kReadOk);
        QVERIFY(rig.clickAndWait("btn10", 60000));
        QVERIFY(!p.model.text(1, NumberColumn::Number).isEmpty());
        QVERIFY(p.unitHoldsTable(false));

        p.model.setText(50, NumberColumn::Number, QStringLiteral("+4930123456789"));
        p.model.setText(50, NumberColumn::StartDate, QStringLiteral("2031/12/09"));
        p.model.setText(50, NumberColumn::StartTime, QStringLiteral("8:5"));
        p.model.setText(50, NumberColumn::EndDate, QStringLiteral("2032/01/01"));
        p.model.setText(50, NumberColumn::EndTime, QStringLiteral("23:59"));
        p.model.toggleCheck(2, NumberColumn::Delete);
        rig.rec.expectStartsWith(kNumbersRemoved + QStringLiteral("1 number from the unit."));
        rig.rec.expect(kSaveOk);
        QVERIFY(rig.clickAndWait("btn9", 60000));
        QVERIFY(p.unitHoldsTable(true));
        QCOMPARE(rig.sim->memory(numberPageAddress(1) + 32, 32), QByteArray(32, '\xff'));
    }

    void refusedPageLeavesTheEarlierPagesWritten()
    {
        devsim::Options o;
        o.refuseWrite = 41; // the login, then pages 1..40
        FormRig rig(o);
        PageRig p(rig);
        const QByteArray before = rig.sim->memory(numberPageAddress(40), 256);
        p.model.setText(312, NumberColumn::Number, QStringLiteral("111")); // page 39
        p.model.setText(313, NumberColumn::Number, QStringLiteral("222")); // page 40
        p.model.toggleCheck(312, NumberColumn::Always);
        p.model.toggleCheck(313, NumberColumn::Always);
        QVERIFY(rig.openAndLogIn());
        rig.rec.expectStartsWith(kNumbersUnread);
        rig.rec.expectStartsWith(QStringLiteral("Number list data error"));
        QVERIFY(rig.clickAndWait("btn9", 60000));
        QVERIFY(rig.rec.messages().last().section(u'\n', 1).startsWith(QStringLiteral("Pages 1 to 39 ")));
        QVERIFY(p.unitHoldsTable(true, 1, 312));
        QCOMPARE(rig.sim->memory(numberPageAddress(40), 256), before);
    }
};

QTEST_MAIN(TstNumberListPage)
#include "tst_number_list_page.moc"

// The number list page: its grid editor driven by clicks and keys, and reading and saving
// the list through the window against the simulated unit.
#include "link/address_map.h"
#include "numbers/numbers_codec.h"
#include "ui/form_rig.h"
#include "ui/number_list_editor.h"
#include "ui/number_list_page.h"

#include <QDateEdit>
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
        QTRY_COMPARE(p.model.text(3, NumberColumn::Number), QStringLiteral("+4930"));

        // Each picker lies over its current cell and writes its value back on leaving it.
        p.click(3, NumberColumn::StartDate);
        QDateTimeEdit *start = p.picker("dtp_startdate");
        QVERIFY(start->isVisible());
        QCOMPARE(start->geometry(), p.cell(3, NumberColumn::StartDate));
        p.clickPicker("dtp_startdate");
        QVERIFY(start->hasFocus());
        p.click(3, NumberColumn::EndDate);
        QCOMPARE(p.model.text(3, NumberColumn::StartDate), QStringLiteral("2015/03/06"));
        QVERIFY(!start->isVisible());
        p.clickPicker("dtp_enddate");
        p.picker("dtp_enddate")->setDate(QDate(2031, 12, 9));
        QVERIFY(p.model.text(3, NumberColumn::EndDate).isEmpty());
        p.click(3, NumberColumn::EndTime);
        QCOMPARE(p.model.text(3, NumberColumn::EndDate), QStringLiteral("2031/12/09"));
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
        rig.rec.expectStartsWith(QStringLiteral("Number list data error"));
        QVERIFY(rig.clickAndWait("btn9", 60000));
        QVERIFY(rig.rec.messages().last().section(u'\n', 1).startsWith(QStringLiteral("Pages 1 to 39 ")));
        QVERIFY(p.unitHoldsTable(true, 1, 312));
        QCOMPARE(rig.sim->memory(numberPageAddress(40), 256), before);
    }
};

QTEST_MAIN(TstNumberListPage)
#include "tst_number_list_page.moc"

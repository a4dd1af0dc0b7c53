// The main window driven by its real widgets: start-up state, tabs, opening ports,
// login, delete history and a unit that disappears.
#include "link/rule_timer.h"
#include "ui/contrast.h"
#include "ui/form_rig.h"
#include "ui/help_page.h"
#include "ui/history_page.h"
#include "ui/number_list_editor.h"
#include "ui/number_list_page.h"
#include "ui/page_tabs.h"
#include "ui/reporters.h"

#include <QFile>
#include <QFrame>
#include <QImage>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

using namespace zc;
using namespace zc::test;

namespace {

// Whether the rectangle holds pure-blue text pixels (the active tab's colour).
bool hasBlueText(const QImage &img, const QRect &r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.blue() > 200 && c.red() < 90 && c.green() < 90) return true;
        }
    return false;
}

// What the status line and progress bar show: the panel's text, whether the bar is hidden,
// its value and whether the status clear timer runs.
struct LineState
{
    QString text;
    bool barHidden;
    int value;
    bool clearing;
    bool operator==(const LineState &) const = default;
};

// A status line and progress bar of their own behind a WindowReporter; the injected reporter
// notes what the line showed whenever a message box came up.
struct StatusLine : Reporter
{
    QLabel panel;
    QProgressBar bar;
    RuleTimer clear{60000};
    Tstatusbar_ctrl status{&panel, &clear};
    Tprogressbar_ctrl progress{&bar};
    WindowReporter reporter{nullptr, &panel, &status, &progress, this};
    std::vector<LineState> atBoxes;

    LineState state() const { return {panel.text(), bar.isHidden(), bar.value(), clear.isActive()}; }
    void setStatus(const QString &) override {}
    void setStatusDirect(const QString &) override {}
    void setProgress(int) override {}
    void messageBox(const QString &) override { atBoxes.push_back(state()); }
    void messageDialog(const QString &) override {}
    bool question(const QString &) override { return true; }
    bool warningOkCancel(const QString &) override { return true; }
};

} // namespace

class TstMainWindow : public QObject
{
    Q_OBJECT
private slots:
    // Held or not, any run of status, progress and message calls leaves the line as it was
    // without a hold, and a message box always comes up over what was set last.
    void heldStatusShowsWhatWasSetLast()
    {
        QRandomGenerator rng(7);
        for (int run = 0; run < 300; ++run) {
            StatusLine straight, held;
            held.reporter.holdStatus(true);
            int depth = 1;
            const int calls = 1 + int(rng.bounded(12));
            for (int i = 0; i < calls; ++i) {
                const QString text = QStringLiteral("text %1").arg(rng.bounded(3));
                const int value = QList<int>{0, 30, 60, 100}[rng.bounded(4)];
                const int op = int(rng.bounded(7));
                for (StatusLine *line : {&straight, &held}) {
                    Reporter &r = line->reporter;
                    switch (op) {
                    case 0:
                        r.setStatus(text);
                        break;
                    case 1:
                        r.setStatusDirect(text);
                        break;
                    case 2:
                        r.setLastingStatus(text);
                        break;
                    case 3:
                    case 4:
                        r.setProgress(value);
                        break;
                    case 5:
                        r.messageBox(text);
                        break;
                    default:
                        break;
                    }
                }
                if (op == 6) {
                    const bool more = depth == 0 || rng.bounded(2);
                    held.reporter.holdStatus(more);
                    depth += more ? 1 : -1;
                }
            }
            while (depth-- > 0)
                held.reporter.holdStatus(false);
            QCOMPARE(held.state(), straight.state());
            QVERIFY(held.atBoxes == straight.atBoxes);
        }
    }

    void startUpState()
    {
        FormRig rig({}, false);
        TForm1 &f = *rig.form;
        QCOMPARE(f.windowTitle(), QStringLiteral("Zarvento Configurator V1.7"));
        // The designed client size, or as much of it as the screen holds beside a frame.
        QCOMPARE(rig.w<QWidget>("Form1_client")->size(),
                 QSize(1059, 653).boundedTo(f.screen()->availableGeometry().size() - QSize(16, 40)));
        QCOMPARE(rig.w<QLabel>("stat1_panel0")->text(), QStringLiteral("COM Port:"));
        QVERIFY(!rig.lampGreen());
        QVERIFY(rig.w<QLabel>("img1")->isVisible());
        QCOMPARE(rig.button("btn8")->text(), QStringLiteral("Open"));
        QCOMPARE(rig.w<QLineEdit>("edt3")->text(), QStringLiteral("8530"));
        QCOMPARE(f.deviceControls().size(), 16);
        QVERIFY(rig.controlsEnabled(false));
        QVERIFY(rig.button("btn8")->isEnabled() && rig.button("btn1")->isEnabled());
        auto *pgc1 = rig.w<QTabWidget>("pgc1");
        QCOMPARE(pgc1->currentWidget()->objectName(), QStringLiteral("ts1"));
        QCOMPARE(pgc1->count(), 4);
        auto *pb1 = rig.w<QProgressBar>("pb1");
        QVERIFY(pb1->isVisible());
        QCOMPARE(pb1->value(), 0);
        // The status clear timer runs from start-up: when it fires the bar is hidden.
        ZC_TRY_VERIFY_WITH_TIMEOUT(!pb1->isVisible(), 6000);
        QCOMPARE(rig.status(), QString());
    }

    void statusTimerRule()
    {
        FormRig rig({}, false);
        auto *pb1 = rig.w<QProgressBar>("pb1");
        ZC_TRY_VERIFY_WITH_TIMEOUT(!pb1->isVisible(), 6000);
        Reporter &r = rig.form->reporter();
        r.setProgress(0);
        QVERIFY(!pb1->isVisible());
        r.setProgress(50);
        QVERIFY(pb1->isVisible());
        QCOMPARE(pb1->value(), 50);
        r.setStatus(QStringLiteral("first"));
        r.setStatus(QStringLiteral("second")); // does not restart the clear timer
        QCOMPARE(rig.status(), QStringLiteral("second"));
        ZC_TRY_VERIFY_WITH_TIMEOUT(rig.status().isEmpty(), 6000);
        QVERIFY(!pb1->isVisible());
        r.setProgress(100);
        QVERIFY(!pb1->isVisible());
        QCOMPARE(pb1->value(), 100);
    }

    void tabsAreDrawnWithTheActiveOneBlue()
    {
        FormRig rig({}, false);
        auto *pgc1 = rig.w<QTabWidget>("pgc1");
        auto *tabs = static_cast<PageTabs *>(pgc1->tabBar());
        QCOMPARE(tabs->tabRect(0).size(), QSize(80, 75));
        QCOMPARE(PageTabs::tabText(2, {}).first, QStringLiteral("Historical"));
        QImage img = tabs->grab().toImage();
        QVERIFY(hasBlueText(img, tabs->tabRect(0)));
        QVERIFY(!hasBlueText(img, tabs->tabRect(2)));
        pgc1->setCurrentIndex(2);
        QCoreApplication::processEvents();
        img = tabs->grab().toImage();
        QVERIFY(!hasBlueText(img, tabs->tabRect(0)));
        QVERIFY(hasBlueText(img, tabs->tabRect(2)));
        // Any page can be chosen before login; its device controls stay disabled.
        QVERIFY(!rig.button("btn19")->isEnabled());
    }

    // Under a dark palette the active tab's blue, text on the fixed colours and the check
    // boxes of the number list stay readable.
    void darkPalette()
    {
        const QColor darkTab(0x3a, 0x3a, 0x3a), lightTab(0xf8, 0xf8, 0xf8), blue(0, 0, 255);
        QVERIFY(Contrast::ratio(Contrast::readableOn(blue, darkTab), darkTab) >= 4.5);
        QCOMPARE(Contrast::readableOn(blue, lightTab), blue);
        for (const QColor fixed :
             {QColor(166, 202, 240), NumberListDelegate::warningColour(), NumberListDelegate::foundColour(),
              NumberListDelegate::endedColour(QPalette())})
            QVERIFY(Contrast::ratio(Contrast::onFixedColour({}, fixed).color(QPalette::Text), fixed) >= 4.5);

        FormRig rig({}, false);
        QPalette dark;
        for (const auto &[role, colour] : {std::pair{QPalette::Window, QColor(0x35, 0x35, 0x35)},
                                           {QPalette::Base, QColor(0x2d, 0x2d, 0x2d)},
                                           {QPalette::Button, QColor(0x35, 0x35, 0x35)},
                                           {QPalette::Text, QColor(Qt::white)},
                                           {QPalette::WindowText, QColor(Qt::white)},
                                           {QPalette::ButtonText, QColor(Qt::white)}})
            dark.setColor(role, colour);
        rig.form->setPalette(dark);
        auto *page = rig.form->findChild<NumberListPage *>();
        rig.w<QTabWidget>("pgc1")->setCurrentWidget(page);
        QTableView *grid = page->editor()->grid();
        const QRect cell = grid->visualRect(page->model().index(1, NumberColumn::Delete));
        const QImage img = grid->viewport()->grab().toImage();
        // The unticked box shows an edge that stands out from the dark cell.
        double best = 1;
        for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
            for (int x = cell.left() + 2; x < cell.right() - 1; ++x)
                best = qMax(best, Contrast::ratio(img.pixelColor(x, y), dark.color(QPalette::Base)));
        QVERIFY2(best >= 3, qPrintable(QString::number(best)));

        // A row whose window has ended is a quiet shade of the dark base, readable, and its
        // tooltip says why it is grey.
        page->model().setText(2, NumberColumn::Number, QStringLiteral("5550002"));
        page->model().setText(2, NumberColumn::StartDate, QStringLiteral("2020-01-01"));
        page->model().setText(2, NumberColumn::StartTime, QStringLiteral("08:00"));
        page->model().setText(2, NumberColumn::EndDate, QStringLiteral("2020-06-30"));
        page->model().setText(2, NumberColumn::EndTime, QStringLiteral("18:00"));
        const NumberListDelegate *d = page->editor()->delegate();
        const QColor ended = d->background(page->model().index(2, NumberColumn::Number)).color();
        QVERIFY2(ended.lightness() < 100, qPrintable(ended.name()));
        QVERIFY(Contrast::ratio(Contrast::onFixedColour(dark, ended).color(QPalette::Text), ended) >= 4.5);
        QVERIFY(d->note(page->model().index(2, NumberColumn::Always))
                    .contains(QStringLiteral("ended on 2020-06-30")));
        // The lamp is a disc on the panel, not on a white square; the chart is drawn dark.
        QCOMPARE(rig.w<QLabel>("img1")->pixmap().toImage().pixelColor(0, 0).alpha(), 0);
        auto *history = rig.form->findChild<HistoryPage *>();
        rig.w<QTabWidget>("pgc1")->setCurrentWidget(history);
        history->setChartShown(true);
        QApplication::processEvents();
        const QImage chart = history->chartView()->grab().toImage();
        QVERIFY(chart.pixelColor(chart.width() - 3, 3).lightness() < 100);
        // Nothing but the tabs is drawn in the tab column: under the last tab the window shows.
        auto *tabs = rig.form->findChild<PageTabs *>();
        const QImage column = tabs->grab().toImage();
        const int below = tabs->tabRect(tabs->count() - 1).bottom() + 20;
        QVERIFY(below < column.height());
        QCOMPARE(column.pixelColor(tabs->width() / 2, below), dark.color(QPalette::Window));
    }

    // On a screen too small for the window (1024 x 600 at twice the scale leaves 512 x 300)
    // every button of the top bar stays within reach: the bar scrolls sideways, and Tab
    // scrolls it to the button it reaches.
    void smallScreenKeepsLogInInReach()
    {
        FormRig rig({}, false);
        rig.form->setFixedSize(496, 260);
        QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
        QApplication::processEvents();
        QPushButton *login = rig.button("btn1");
        const auto reachable = [&] {
            const QRect shown(login->mapTo(rig.form.get(), QPoint(0, 0)), login->size());
            return rig.form->rect().contains(shown) && login->visibleRegion().boundingRect() == login->rect();
        };
        QVERIFY(!reachable());
        rig.w<QLineEdit>("edt3")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(login->hasFocus());
        QVERIFY(reachable());
        // The status bar keeps its place at the bottom.
        QCOMPARE(rig.w<QWidget>("stat1")->geometry().bottom(), rig.form->height() - 1);
    }

    // Texts stay within their places: a long status sentence widens its own panel over the
    // progress panel rather than running through its edge, and the history grid's first
    // column is not cut on the left.
    void textsStayInTheirPlaces()
    {
        FormRig rig({}, false);
        QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
        rig.form->reporter().setLastingStatus(
            QStringLiteral("Pages 1 to 52 of 125 saved, page 53 may or may not be saved, pages 54 to 125 not "
                           "saved: save again."));
        const QRect text = rig.w<QLabel>("stat1_status")->geometry();
        for (const QFrame *f : rig.w<QWidget>("stat1")->findChildren<QFrame *>(Qt::FindDirectChildrenOnly))
            if (f->frameShape() == QFrame::Panel && f->isVisible())
                QVERIFY2(f->x() <= text.left() - 2 || f->x() >= text.right(),
                         qPrintable(QString::number(f->x())));
        auto *grid = rig.w<QTableView>("strngrd4");
        const QRect serial = grid->visualRect(grid->model()->index(0, 0));
        QVERIFY(grid->viewport()->mapTo(rig.w<QWidget>("ScrollBox2"), serial.topLeft()).x() >= 0);
    }

    void helpPage()
    {
        QCOMPARE(HelpPicture::steps().size(), 12);
        QVERIFY(HelpPicture::steps().join(' ').contains(QStringLiteral("dialout")));
        QVERIFY(HelpPicture::steps().join(' ').contains(QStringLiteral("ttyUSB0")));
        // The key list, however its lines wrap, lies whole on the picture.
        FormRig rig({}, false);
        const auto *picture = rig.w<HelpPicture>("img_help");
        QVERIFY(QRectF(picture->rect()).contains(picture->keysRect()));
    }

    void openAndCloseTheSimulatedUnit()
    {
        FormRig rig;
        rig.open(QStringLiteral("  ") + rig.sim->ptyPath() + QStringLiteral(" \t"));
        QCOMPARE(rig.button("btn8")->text(), QStringLiteral("Close"));
        QVERIFY(rig.lampGreen());
        QVERIFY(rig.form->comm().PortOpen());
        rig.click("btn8");
        QCOMPARE(rig.button("btn8")->text(), QStringLiteral("Open"));
        QVERIFY(!rig.lampGreen());
        QVERIFY(!rig.form->comm().PortOpen());
    }

    void publishedUnitIsListedAndOpensByItsName()
    {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        devsim::Simulator sim;
        QVERIFY(sim.start());
        QVERIFY(sim.publish(QStringLiteral("bench")));
        RecordingReporter rec;
        TForm1::Options o;
        o.dialogs = &rec;
        TForm1 form(o);
        auto *cbb9 = form.findChild<QComboBox *>(QStringLiteral("cbb9"));
        const int i = cbb9->findText(QStringLiteral("Simulated unit (bench)"));
        QVERIFY(i >= 0);
        cbb9->setCurrentIndex(i);
        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("btn8")), Qt::LeftButton);
        QVERIFY(form.comm().PortOpen());
        qunsetenv("XDG_RUNTIME_DIR");
    }

    void failedOpensLeaveThePortClosed_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << QStringLiteral("/dev/zarvento-no-such-port");
        QTest::newRow("empty") << QString();
        QTest::newRow("regular file") << QStringLiteral("/etc/hostname");
    }
    void failedOpensLeaveThePortClosed()
    {
        QFETCH(QString, path);
        FormRig rig({}, false);
        rig.rec.expectStartsWith(QStringLiteral("COM Port error"));
        rig.open(path);
        QVERIFY(rig.rec.allExpectedSeen());
        QCOMPARE(rig.button("btn8")->text(), QStringLiteral("Open"));
        QVERIFY(!rig.lampGreen());
        QVERIFY(!rig.form->comm().PortOpen());
    }

    void login_data()
    {
        QTest::addColumn<QByteArray>("devicePassword");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("before"); // a good login first, when set
        QTest::newRow("factory") << QByteArray("8530") << "8530" << true << "";
        QTest::newRow("letter case") << QByteArray("ab12") << "AB12" << true << "";
        QTest::newRow("wrong after good") << QByteArray("8530") << "1234" << false << "8530";
        QTest::newRow("longer after good") << QByteArray("8530") << "85301" << false << "8530";
        QTest::newRow("two digits and filler") << QByteArray("12\x00\xff", 4) << "12" << false << "";
    }
    void login()
    {
        QFETCH(QByteArray, devicePassword);
        QFETCH(QString, entered);
        QFETCH(bool, ok);
        QFETCH(QString, before);
        FormRig rig;
        rig.sim->setMemory(0, devicePassword);
        rig.openSim();
        if (!before.isEmpty()) {
            rig.rec.expect(QStringLiteral("Password confirmed!"));
            QVERIFY(rig.login(before));
            QVERIFY(rig.controlsEnabled(true));
        }
        rig.rec.expect(ok ? QStringLiteral("Password confirmed!") : QStringLiteral("Password Error!"));
        QVERIFY(rig.login(entered));
        QVERIFY(rig.controlsEnabled(ok));
        QVERIFY(!rig.form->login().loginPending);
        // The request was a read of settings page 1.
        QCOMPARE(rig.sim->requests().last().toHex(), QByteArray("238300000000000083"));
    }

    void loginWithoutAnswer_data()
    {
        QTest::addColumn<bool>("portOpen");
        QTest::newRow("port closed") << false;
        QTest::newRow("silent unit") << true;
    }
    void loginWithoutAnswer()
    {
        QFETCH(bool, portOpen);
        devsim::Options o;
        o.dropReply = 1;
        FormRig rig(o);
        if (portOpen) rig.openSim();
        if (portOpen)
            rig.rec.expect(QStringLiteral("Receive timeout"));
        else
            rig.rec.expectStartsWith(QStringLiteral("The COM port is not open"));
        QVERIFY(rig.login());
        QVERIFY(rig.controlsEnabled(false));
        QVERIFY(!rig.form->login().loginPending);
        QCOMPARE(rig.status(), QString());
        if (!portOpen) return;
        // The lost login does not capture the next settings read: it runs to its end.
        rig.rec.expect(QStringLiteral("Read the GSM device basic parameters to PC software?"));
        rig.rec.expect(QStringLiteral("Basic settings read to PC software success."));
        rig.form->btn21Click();
        QVERIFY(waitUntil([&] { return rig.rec.allExpectedSeen(); }, 5000));
    }

    void damagedLoginReply()
    {
        devsim::Options o;
        o.corruptReply = 1;
        FormRig rig(o);
        rig.openSim();
        rig.rec.expectStartsWith(QStringLiteral("The reply from the unit was damaged"));
        QVERIFY(rig.login());
        QVERIFY(rig.controlsEnabled(false));
        rig.rec.expect(QStringLiteral("Password confirmed!"));
        QVERIFY(rig.login());
        rig.rec.expect(QStringLiteral("Read the GSM device basic parameters to PC software?"));
        rig.rec.expect(QStringLiteral("Basic settings read to PC software success."));
        QVERIFY(rig.clickAndWait("btn21"));
    }

    void deleteHistory_data()
    {
        QTest::addColumn<int>("refuse");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("message");
        QTest::newRow("accepted") << 0 << true << "Historical data deleted";
        QTest::newRow("refused") << 2 << true << "Historical data delet error";
        QTest::newRow("cancelled") << 0 << false << "";
    }
    void deleteHistory()
    {
        QFETCH(int, refuse);
        QFETCH(bool, confirm);
        QFETCH(QString, message);
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        o.refuseWrite = refuse;
        FormRig rig(o);
        const QByteArray before = rig.sim->memory(0x10000, 256);
        QVERIFY(before != QByteArray(256, '\xff'));
        QVERIFY(rig.openAndLogIn());
        rig.form->findChild<QTabWidget *>(QStringLiteral("pgc1"))->setCurrentIndex(2);
        rig.rec.expectStartsWith(
            QStringLiteral("Warning: Thie operation will DELETE all of the historical data on GSM device! "),
            confirm);
        if (!message.isEmpty()) rig.rec.expect(message);
        QVERIFY(rig.clickAndWait("btn23"));
        if (!confirm) {
            QTest::qWait(100);
            QCOMPARE(rig.sim->requestCount(), 1);
            return;
        }
        QCOMPARE(rig.sim->requests().last().toHex(), QByteArray("238500000000000085"));
        QCOMPARE(rig.sim->memory(0x10000, 256) == QByteArray(256, '\xff'), refuse == 0);
    }

    void unitVanishesWhileOpen()
    {
        devsim::Options o;
        o.vanishAfter = 1;
        FormRig rig(o);
        QVERIFY(rig.openAndLogIn());
        ZC_TRY_VERIFY_WITH_TIMEOUT(!rig.lampGreen(), 3000);
        QCOMPARE(rig.button("btn8")->text(), QStringLiteral("Open"));
        QVERIFY(!rig.form->comm().PortOpen());
        QVERIFY(rig.status().contains(QStringLiteral("lost")));
        QVERIFY(rig.controlsEnabled(true)); // as after a normal close
    }

    void unitVanishesDuringATransfer()
    {
        devsim::Options o;
        o.vanishAfter = 2; // the login and settings page 1 are answered
        FormRig rig(o);
        QVERIFY(rig.openAndLogIn());
        rig.rec.expect(QStringLiteral("Read the GSM device basic parameters to PC software?"));
        rig.rec.expectStartsWith(QStringLiteral("The serial port was lost"));
        QVERIFY(rig.clickAndWait("btn21", 2000)); // well before the reply timer would fire
        QVERIFY(!rig.lampGreen());
        QTest::qWait(600); // no "Receive timeout" follows
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"

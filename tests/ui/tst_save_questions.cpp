// A save that would lose what the unit holds asks first, through the real window against
// the simulated unit: a save before any read, and one that removes numbers. Enter (the
// default) sends nothing, OK saves, and an ordinary edit saves without a word. The
// questions' boxes answer Enter and Escape with Cancel.
#include "link/address_map.h"
#include "link/link_session.h"
#include "link/rule_timer.h"
#include "numbers/numbers_diff.h"
#include "settings/settings_diff.h"
#include "ui/form_rig.h"
#include "ui/number_list_page.h"
#include "ui/reporters.h"

#include <QMessageBox>
#include <QProgressBar>

using namespace zc;
using namespace zc::test;

namespace {

QByteArray bytesOf(const QList<PageBytes> &pages)
{
    QByteArray out;
    for (const PageBytes &p : pages)
        out.append(reinterpret_cast<const char *>(p.data()), kPageSize);
    return out;
}

} // namespace

class TstSaveQuestions : public QObject
{
    Q_OBJECT
private slots:
    // The unit goes away while the save's question is open: OK then sends nothing and says
    // the port is closed, rather than waiting for a reply that cannot come.
    void portLostWhileAsking_data()
    {
        QTest::addColumn<bool>("numbers");
        QTest::newRow("settings") << false;
        QTest::newRow("number list") << true;
    }
    void portLostWhileAsking()
    {
        QFETCH(bool, numbers);
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        auto rig = FormRig::loggedIn(o);
        LinkSession &session = rig->form->session();
        rig->rec.whileAsking = [&] {
            rig->sim->stop();
            for (int i = 0; i < 300 && session.isOpen(); ++i)
                QTest::qWait(10);
        };
        rig->rec.expectStartsWith(numbers ? kNumbersUnread : kSettingsUnread);
        rig->rec.expectStartsWith(QStringLiteral("The COM port is not open"));
        rig->click(numbers ? "btn9" : "btn22");
        QVERIFY(rig->rec.allExpectedSeen());
        QVERIFY(!session.isOpen());
        QVERIFY(!session.busy());
        QVERIFY(!session.transferActive());
    }

    void saveBeforeAnyRead_data()
    {
        QTest::addColumn<bool>("numbers");
        QTest::newRow("settings") << false;
        QTest::newRow("number list") << true;
    }
    void saveBeforeAnyRead()
    {
        QFETCH(bool, numbers);
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        auto rig = FormRig::loggedIn(o);
        auto *page = rig->form->findChild<NumberListPage *>();
        const Area area = numbers ? Area::Numbers : Area::Settings;
        const char *save = numbers ? "btn9" : "btn22";
        const auto unit = [&] { return rig->sim->memory(pageAddress(area, 1), areaBytes(area)); };
        const auto table = [&] {
            return bytesOf(numbers ? NumbersDiff::tablePages(page->model())
                                   : SettingsDiff::tablePages(rig->form->settingsModel()));
        };
        const QByteArray before = unit();
        const int requests = rig->sim->requestCount();

        // Enter keeps the unit as it is.
        rig->rec.expectEnter(numbers ? kNumbersUnread : kSettingsUnread);
        rig->click(save);
        QVERIFY(rig->rec.allExpectedSeen());
        QVERIFY(rig->rec.lastPromptDefaultsToCancel());
        QTest::qWait(50);
        QCOMPARE(rig->sim->requestCount(), requests);
        QCOMPARE(unit(), before);

        // OK writes the table.
        rig->rec.expectStartsWith(numbers ? kNumbersUnread : kSettingsUnread);
        rig->rec.expect(numbers ? QStringLiteral("Authorized number list saved success") : kSettingsSaveOk);
        QVERIFY(rig->clickAndWait(save, 60000));
        QCOMPARE(unit(), table());

        // After a complete save the unit's pages are known: an edit saves without a question.
        if (numbers) {
            page->model().setText(7, NumberColumn::Number, QStringLiteral("+4930555"));
            page->model().toggleCheck(7, NumberColumn::Always);
        } else {
            rig->form->settingsModel().setContent(5, QStringLiteral("Side gate open"));
        }
        QVERIFY(unit() != table());
        rig->rec.expect(numbers ? QStringLiteral("Authorized number list saved success") : kSettingsSaveOk);
        QVERIFY(rig->clickAndWait(save, 60000));
        QCOMPARE(unit(), table());
    }

    void deleteAllThenSave()
    {
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        auto rig = FormRig::loggedIn(o);
        auto *page = rig->form->findChild<NumberListPage *>();
        rig->rec.expect(QStringLiteral("Read the Authorized number list from GSM device to PC software?"));
        rig->rec.expect(QStringLiteral("Authorized number list read to PC software success."));
        QVERIFY(rig->clickAndWait("btn10", 60000));
        const QByteArray before = rig->sim->memory(numberPageAddress(1), areaBytes(Area::Numbers));
        const int requests = rig->sim->requestCount();

        rig->click("btn7");
        rig->rec.expectEnter(kNumbersRemoved + QStringLiteral("40 numbers from the unit.\n"));
        rig->click("btn9");
        QVERIFY(rig->rec.allExpectedSeen());
        QVERIFY(rig->rec.lastPromptDefaultsToCancel());
        const QString details = rig->rec.events().back().details;
        QVERIFY2(details.startsWith(QStringLiteral("Removed (40):\nrow 1: ")), qPrintable(details));
        QCOMPARE(details.count(QStringLiteral(" → (empty)")), 40);
        QTest::qWait(50);
        QCOMPARE(rig->sim->requestCount(), requests);
        QCOMPARE(rig->sim->memory(numberPageAddress(1), areaBytes(Area::Numbers)), before);

        rig->rec.expectStartsWith(kNumbersRemoved);
        rig->rec.expect(QStringLiteral("Authorized number list saved success"));
        QVERIFY(rig->clickAndWait("btn9", 60000));
        QCOMPARE(rig->sim->memory(numberPageAddress(1), areaBytes(Area::Numbers)),
                 QByteArray(areaBytes(Area::Numbers), '\xff'));
        QVERIFY(page->model().text(1, NumberColumn::Delete) == CheckCell::kYes);

        // The port opened again may lead to another unit: the next save asks again.
        rig->click("btn8");
        QVERIFY(rig->openAndLogIn());
        rig->rec.expectEnter(kNumbersUnread);
        rig->click("btn9");
        QVERIFY(rig->rec.allExpectedSeen());
    }

    // The window's own question box: Enter gives the default button, Escape always Cancel.
    void questionBoxKeys_data()
    {
        QTest::addColumn<bool>("cancelByDefault");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("answer");
        QTest::newRow("Enter, Cancel default") << true << int(Qt::Key_Return) << false;
        QTest::newRow("Escape, Cancel default") << true << int(Qt::Key_Escape) << false;
        QTest::newRow("Enter, OK default") << false << int(Qt::Key_Return) << true;
        QTest::newRow("Escape, OK default") << false << int(Qt::Key_Escape) << false;
    }
    void questionBoxKeys()
    {
        QFETCH(bool, cancelByDefault);
        QFETCH(int, key);
        QFETCH(bool, answer);
        QWidget owner;
        QLabel panel(&owner);
        RuleTimer clear(3000);
        QProgressBar bar(&owner);
        Tstatusbar_ctrl status(&panel, &clear);
        Tprogressbar_ctrl progress(&bar);
        WindowReporter reporter(&owner, &panel, &status, &progress, nullptr);
        QString details;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box) return;
            details = box->detailedText();
            QTest::keyClick(box, Qt::Key(key));
        });
        QCOMPARE(reporter.confirm(QStringLiteral("Save anyway?"), Reporter::Prompt::Question,
                                  cancelByDefault ? Reporter::Default::Cancel : Reporter::Default::Ok,
                                  QStringLiteral("row 1: 555 always → (empty)")),
                 answer);
        QCOMPARE(details, QStringLiteral("row 1: 555 always → (empty)"));
    }
};

QTEST_MAIN(TstSaveQuestions)
#include "tst_save_questions.moc"

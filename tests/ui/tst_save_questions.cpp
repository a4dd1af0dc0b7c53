// A save that would lose what the unit holds asks first, through the real window against
// the simulated unit: a save before any read, and one that removes numbers. Enter (the
// default) sends nothing, OK saves, and an ordinary edit saves without a word. The
// questions' boxes answer Enter and Escape with Cancel.
#include "link/address_map.h"
#include "link/link_session.h"
#include "link/rule_timer.h"
#include "numbers/numbers_diff.h"
#include "settings/settings_codec.h"
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

    // What a save's checks find, in the window's words: a list row without its window is
    // refused before anything is asked; a number in two rows and a text the unit would cut
    // are asked about after the loss question. Cancel sends nothing; OK sends what the
    // save prepared before asking.
    void checkedSaves_data()
    {
        QTest::addColumn<QString>("table"); // "windows", "duplicate" or "cut"
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("answer");
        QTest::newRow("row without its window")
            << "windows"
            << "Wrong operation:please select \"Always\" or setting the Start-End date and time.Total:2\r"
               "Wrong serial number:5,17"
            << false;
        const QString twice = QStringLiteral("1 number is kept in more than one row:\n555 is in rows 5, 9\n"
                                             "Save the list anyway?");
        QTest::newRow("number in two rows, Cancel") << "duplicate" << twice << false;
        QTest::newRow("number in two rows, OK") << "duplicate" << twice << true;
        const QString cut = QStringLiteral(
            "These texts are longer than the unit keeps and would be cut:\n"
            "5.DIN1 Alarm Content: 53 bytes, the unit keeps 40; \"bbbbbbbbbbbbb\" would be lost\n"
            "22.GPRS Password: 18 bytes, the unit keeps 16; \"é\" would be lost\n"
            "Save the settings anyway?");
        QTest::newRow("text cut, Cancel") << "cut" << cut << false;
        QTest::newRow("text cut, OK") << "cut" << cut << true;
    }
    void checkedSaves()
    {
        QFETCH(QString, table);
        QFETCH(QString, message);
        QFETCH(bool, answer);
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        auto rig = FormRig::loggedIn(o);
        auto *page = rig->form->findChild<NumberListPage *>();
        const bool numbers = table != QLatin1String("cut");
        const Area area = numbers ? Area::Numbers : Area::Settings;
        const auto unit = [&] { return rig->sim->memory(pageAddress(area, 1), areaBytes(area)); };
        if (table == QLatin1String("windows")) {
            for (int r : {5, 17})
                for (int c : {NumberColumn::Number, NumberColumn::StartDate, NumberColumn::StartTime})
                    page->model().setText(r, c,
                                          c == NumberColumn::Number      ? QStringLiteral("555")
                                          : c == NumberColumn::StartDate ? QStringLiteral("2024/05/06")
                                                                         : QStringLiteral("08:00"));
        } else if (numbers) {
            for (int r : {5, 9}) {
                page->model().setText(r, NumberColumn::Number, QStringLiteral("555"));
                page->model().toggleCheck(r, NumberColumn::Always);
            }
        } else {
            rig->form->settingsModel().setContent(5, QString(40, u'a') + QString(13, u'b'));
            rig->form->settingsModel().setContent(22, QStringLiteral("é").repeated(9));
        }
        const QByteArray before = unit();
        const int requests = rig->sim->requestCount();
        if (table != QLatin1String("windows"))
            rig->rec.expectStartsWith(numbers ? kNumbersUnread : kSettingsUnread);
        rig->rec.expect(message, answer);
        if (!answer) {
            rig->click(numbers ? "btn9" : "btn22");
            QVERIFY(rig->rec.allExpectedSeen());
            QTest::qWait(50);
            QCOMPARE(rig->sim->requestCount(), requests);
            QCOMPARE(unit(), before);
            return;
        }
        rig->rec.expect(numbers ? QStringLiteral("Authorized number list saved success") : kSettingsSaveOk);
        QVERIFY(rig->clickAndWait(numbers ? "btn9" : "btn22", 60000));
        if (numbers) {
            QCOMPARE(unit(), bytesOf(NumbersDiff::tablePages(page->model())));
        } else {
            // The unit keeps the texts cut to their fields, nothing else changed.
            const auto record =
                SettingsCodec::encodeRecord(rig->form->settingsModel(), SettingsCheck::Cut::Allow);
            QCOMPARE(unit(), bytesOf({record.pages[0], record.pages[1]}));
            QCOMPARE(unit().mid(28, 40), QByteArray(40, 'a'));
        }
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

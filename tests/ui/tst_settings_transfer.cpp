// Reading and saving the basic settings through the window against the simulated unit.
#include "settings/settings_model.h"
#include "ui/form_rig.h"
#include "ui/settings_editor.h"

#include <QApplication>
#include <QComboBox>
#include <QTableView>

using namespace zc;
using namespace zc::test;

namespace {

QByteArray le16(int v)
{
    return QByteArray(1, char(v & 0xFF)) + QByteArray(1, char((v >> 8) & 0xFF));
}

} // namespace

class TstSettingsTransfer : public QObject
{
    Q_OBJECT
private slots:
    void readShowsTheUnitsValues()
    {
        devsim::Options o;
        o.baud = 115200;
        auto rig = FormRig::loggedIn(o);
        rig->sim->setMemory(26, QByteArray("\x00\x01", 2));       // DIN1 NC, DIN2 NO
        rig->sim->setMemory(28, QByteArray("Gate forced\0", 12)); // item 5
        rig->sim->setMemory(110, QByteArray("\x00\x01", 2));      // item 9: all, item 8: arm
        rig->sim->setMemory(112, le16(5) + le16(42));             // item 10: second copy wins
        rig->sim->setMemory(116, QByteArray("\x02\x07", 2));      // item 11 caller, item 12 none
        rig->sim->setMemory(236, le16(8080));                     // item 19
        rig->sim->setMemory(0x100 + 17, QByteArray("pwd"));       // item 22
        rig->rec.expect(kSettingsReadAsk);
        rig->rec.expect(kSettingsReadOk);
        QVERIFY(rig->clickAndWait("btn21"));
        SettingsModel &m = rig->form->settingsModel();
        QCOMPARE(m.content(5), QStringLiteral("Gate forced"));
        QCOMPARE(m.content(10), QStringLiteral("42"));
        QCOMPARE(m.content(19), QStringLiteral("8080"));
        QCOMPARE(m.content(22), QStringLiteral("pwd"));
        QCOMPARE(m.content(1), QStringLiteral("8530"));
        auto *cbb1 = rig->w<QComboBox>("cbb1");
        QCOMPARE(cbb1->currentIndex(), 0);
        QCOMPARE(rig->w<QComboBox>("cbb2")->currentIndex(), 1);
        QCOMPARE(rig->w<QComboBox>("cbb3")->currentIndex(), 0);
        QCOMPARE(rig->w<QComboBox>("cbb4")->currentIndex(), 1);
        QCOMPARE(rig->w<QComboBox>("cbb10")->currentIndex(), 2);
        QCOMPARE(rig->w<QComboBox>("cbb12")->currentIndex(), -1);
        QVERIFY(cbb1->isVisible());
        // The two pages were asked for in order.
        const auto req = rig->sim->requests();
        QCOMPARE(req.at(req.size() - 2).toHex(), QByteArray("238300000000000083"));
        QCOMPARE(req.last().toHex(), QByteArray("238300000100000082"));
    }

    void editSaveAndReadBack()
    {
        auto rig = FormRig::loggedIn();
        SettingsModel &m = rig->form->settingsModel();
        m.setContent(5, QStringLiteral("Tor offen \u00fc")); // ü is two bytes on the unit
        m.setContent(10, QStringLiteral("25"));
        m.setContent(19, QStringLiteral("80"));
        m.setContent(22, QStringLiteral("abc"));
        rig->rec.expectStartsWith(kSettingsUnread);
        rig->rec.expect(kSettingsSaveOk);
        QVERIFY(rig->clickAndWait("btn22"));
        const QByteArray p1 = rig->sim->memory(0, 256);
        QCOMPARE(p1.mid(28, 14), QByteArray("Tor offen \xc3\xbc\0", 13) + QByteArray(1, '\xff'));
        QCOMPARE(p1.mid(112, 4), le16(25) + le16(25));
        QCOMPARE(p1.mid(236, 2), le16(80));
        QCOMPARE(p1.mid(254, 2), QByteArray(2, '\xff'));
        const QByteArray p2 = rig->sim->memory(0x100, 256);
        QCOMPARE(p2.mid(16, 5), QByteArray("\xff"
                                           "abc"
                                           "\xff",
                                           5));
        QCOMPARE(p2.mid(33), QByteArray(223, '\xff'));

        // A fresh read shows what was saved.
        m.resetToDefaults();
        rig->rec.expectStartsWith(kSettingsReadAsk + QLatin1Char('\n')); // the reset is an unsaved edit
        rig->rec.expect(kSettingsReadOk);
        QVERIFY(rig->clickAndWait("btn21"));
        QCOMPARE(m.content(5), QStringLiteral("Tor offen \u00fc"));
        QCOMPARE(m.content(10), QStringLiteral("25"));
        QCOMPARE(m.content(22), QStringLiteral("abc"));
    }

    // The SIM number keeps a country code's "+" typed into its cell; any other character is
    // refused with the reason, never dropped. The unit holds what was typed.
    void simNumberKeepsItsCountryCode()
    {
        auto rig = FormRig::loggedIn();
        QVERIFY(QTest::qWaitForWindowActive(rig->form.get()));
        SettingsModel &m = rig->form->settingsModel();
        auto *grid = rig->w<QTableView>("strngrd_write");
        const auto typeInto = [&](const QString &keys) {
            grid->setFocus();
            grid->setCurrentIndex(m.index(2, SettingsModel::ContentColumn));
            QTest::keyClick(grid, Qt::Key_F2);
            QTest::keyClicks(QApplication::focusWidget(), keys);
        };
        typeInto(QStringLiteral("+4917012345"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m.content(2), QStringLiteral("+4917012345"));
        typeInto(QStringLiteral("0049-"));
        rig->rec.expect(
            QStringLiteral("The cell keeps its text: 2.SIM Card Phone No: \"0049-\" holds more than "
                           "a leading \"+\" and digits"));
        QVERIFY(waitUntil([&] { return rig->rec.allExpectedSeen(); }));
        QCOMPARE(m.content(2), QStringLiteral("0049"));
        typeInto(QStringLiteral("49+17"));
        rig->rec.expectStartsWith(QStringLiteral("The cell keeps its text: 2.SIM Card Phone No: \"49+\""));
        QVERIFY(waitUntil([&] { return rig->rec.allExpectedSeen(); }));
        QCOMPARE(m.content(2).left(2), QStringLiteral("49"));
        m.setContent(2, QStringLiteral("+4917012345"));
        rig->rec.expectStartsWith(kSettingsUnread);
        rig->rec.expect(kSettingsSaveOk);
        QVERIFY(rig->clickAndWait("btn22"));
        QCOMPARE(rig->sim->memory(4, 12), QByteArray("+4917012345\0", 12));
    }

    void readThenSaveWritesBackTheSameBytes()
    {
        devsim::Options o;
        o.preset = devsim::Preset::Blank; // a never-configured unit
        auto rig = std::make_unique<FormRig>(o);
        rig->sim->setMemory(0, QByteArray("8530"));
        rig->sim->setMemory(28, QByteArray("Caf\xe9 \xff\x80", 7)); // not UTF-8
        const QByteArray before = rig->sim->memory(0, 512);
        QVERIFY(rig->openAndLogIn());
        rig->rec.expect(kSettingsReadAsk);
        rig->rec.expect(kSettingsReadOk);
        QVERIFY(rig->clickAndWait("btn21"));
        QCOMPARE(rig->form->settingsModel().content(7), QStringLiteral("65535"));
        rig->rec.expect(kSettingsSaveOk);
        QVERIFY(rig->clickAndWait("btn22"));
        QCOMPARE(rig->sim->memory(0, 512).toHex(), before.toHex());
    }

    // While the settings save runs, the grid, the pick lists and undo refuse edits: the
    // unit gets the table as it was pressed, and the table still holds just that.
    void editsRefusedDuringASave()
    {
        devsim::Options o;
        o.delayMs = 200;
        auto rig = FormRig::loggedIn(o);
        QVERIFY(QTest::qWaitForWindowActive(rig->form.get()));
        SettingsModel &m = rig->form->settingsModel();
        auto *editor = rig->form->findChild<SettingsEditor *>();
        m.setContent(6, QStringLiteral("Back door"));
        const QString item5 = m.content(5);
        const int pick = m.pickSelection(3);
        rig->rec.expectStartsWith(kSettingsUnread);
        rig->rec.expect(kSettingsSaveOk);
        rig->click("btn22");
        QTableView *grid = editor->grid();
        grid->setFocus();
        grid->setCurrentIndex(m.index(5, SettingsModel::ContentColumn));
        QTest::keyClick(grid, Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("xyz"));
        QCOMPARE(m.content(5), item5);
        QVERIFY2(rig->status().startsWith(QStringLiteral("A save is running")), qPrintable(rig->status()));
        QTest::keyClick(editor->pickList(3), Qt::Key_Down);
        QCOMPARE(m.pickSelection(3), pick);
        QTest::keyClick(rig->form.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m.content(6), QStringLiteral("Back door"));
        QVERIFY(waitUntil([&] { return rig->rec.allExpectedSeen(); }, 5000));
        QCOMPARE(rig->sim->memory(68, 10), QByteArray("Back door\0", 10));
        QCOMPARE(m.content(5), item5);
    }

    void refusedSecondPage()
    {
        devsim::Options o;
        o.refuseWrite = 3; // login, page 1, page 2
        auto rig = FormRig::loggedIn(o);
        rig->form->settingsModel().setContent(6, QStringLiteral("Back door"));
        rig->rec.expectStartsWith(kSettingsUnread);
        rig->rec.expect(
            QStringLiteral("Basic setting error\nPage 1 of 2 saved, page 2 not saved: save again."));
        QVERIFY(rig->clickAndWait("btn22"));
        QCOMPARE(rig->sim->memory(68, 10), QByteArray("Back door\0", 10)); // page 1 stays written
        QCOMPARE(rig->sim->requestCount(), 3);
    }

    void droppedReply()
    {
        devsim::Options o;
        o.dropReply = 3; // page 2 of the read
        auto rig = FormRig::loggedIn(o);
        rig->rec.expect(kSettingsReadAsk);
        rig->rec.expect(QStringLiteral(
            "Receive timeout\nThe table holds pages read from the unit only up to page 1 of 2."));
        QVERIFY(rig->clickAndWait("btn21"));
        QCOMPARE(rig->sim->requestCount(), 3);
    }

    // A time-out ends the read: the late reply is reported, decodes nothing and asks for
    // no further page.
    void lateReplyEndsNothingMore()
    {
        devsim::Options o;
        o.delayMs = 700; // longer than the window's 400 ms reply timer
        FormRig rig(o);
        rig.openSim();
        rig.sim->setMemory(68, QByteArray("Late\0", 5));
        const QString before = rig.form->settingsModel().content(6);
        rig.rec.expect(kSettingsReadAsk);
        rig.rec.expect(QStringLiteral("Receive timeout\nNo page was read: the table is as it was."));
        rig.form->btn21Click();
        QVERIFY(waitUntil([&] { return rig.rec.allExpectedSeen(); }, 8000));
        ZC_TRY_VERIFY_WITH_TIMEOUT(
            rig.rec.lastStatus().startsWith(QStringLiteral("Late reply from the unit ignored")), 3000);
        QTest::qWait(100);
        QCOMPARE(rig.sim->requestCount(), 1);
        QCOMPARE(rig.form->settingsModel().content(6), before);
    }

    void cancelledReadSendsNothing()
    {
        auto rig = FormRig::loggedIn();
        rig->rec.expect(kSettingsReadAsk, false);
        QVERIFY(rig->clickAndWait("btn21"));
        QTest::qWait(100);
        QCOMPARE(rig->sim->requestCount(), 1);
    }

    void badNumberStopsTheSaveBeforeAnythingIsSent_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters in the port") << 19 << "abc"
                                             << "'abc' is not a valid integer value";
        QTest::newRow("port above 65535") << 19 << "70000"
                                          << "";
        QTest::newRow("negative timer") << 10 << "-1"
                                        << "";
    }
    void badNumberStopsTheSaveBeforeAnythingIsSent()
    {
        QFETCH(int, item);
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto rig = FormRig::loggedIn();
        const QByteArray before = rig->sim->memory(0, 512);
        rig->form->settingsModel().setContent(item, text);
        if (message.isEmpty())
            rig->rec.expectStartsWith(rig->form->settingsModel().text(item, 0));
        else
            rig->rec.expect(message);
        QVERIFY(rig->clickAndWait("btn22"));
        QTest::qWait(100);
        QCOMPARE(rig->sim->requestCount(), 1);
        QCOMPARE(rig->sim->memory(0, 512), before);
    }
};

QTEST_MAIN(TstSettingsTransfer)
#include "tst_settings_transfer.moc"

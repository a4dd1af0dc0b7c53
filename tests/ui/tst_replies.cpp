// A reply must answer the outstanding request: late, stray and cut replies from a
// misbehaving unit over a real pseudo-terminal, with the unit's memory checked afterwards.
#include "common/frames.h"
#include "settings/settings_model.h"
#include "ui/form_rig.h"

using namespace zc;
using namespace zc::test;

namespace {

bool waitAll(FormRig &rig, int ms = 6000)
{
    return waitUntil([&] { return rig.rec.allExpectedSeen() && !rig.form->session().busy(); }, ms);
}

} // namespace

class TstReplies : public QObject
{
    Q_OBJECT
private slots:
    // Save times out at page 1, the user edits item 22 and reads: the late write
    // acknowledgement must not send page 2 (the unsaved edit) to the unit.
    void lateSaveAckDoesNotWriteDuringARead()
    {
        devsim::Options o;
        o.lateReply = 2; // login, then page 1 of the save
        o.lateMs = 700;  // the rig's reply timer is 400 ms
        auto rig = FormRig::loggedIn(o);
        const QByteArray page2Before = rig->sim->memory(0x100, 256);
        rig->rec.expectStartsWith(kSettingsUnread);
        rig->rec.expect(QStringLiteral("Receive timeout\nPage 1 of 2 may or may not be saved, page 2 not saved: save "
                                       "again."));
        rig->click("btn22");
        QVERIFY(waitAll(*rig));
        rig->form->settingsModel().setContent(22, QStringLiteral("unsaved"));
        rig->rec.expectStartsWith(kSettingsReadAsk + QLatin1Char('\n')); // over the unsaved edit
        rig->rec.expect(kSettingsReadOk);
        rig->click("btn21");
        QVERIFY(waitAll(*rig));
        QCOMPARE(rig->sim->memory(0x100, 256), page2Before);
        QCOMPARE(rig->sim->requestCount(), 4); // login, save page 1, read pages 1 and 2
        QVERIFY(rig->form->settingsModel().content(22) != QStringLiteral("unsaved"));
    }

    // A login that times out, then a save: its late reply is not taken for the save's.
    void lateLoginReplyThenSave()
    {
        devsim::Options o;
        o.lateReply = 2;
        o.lateMs = 700;
        auto rig = FormRig::loggedIn(o);
        rig->rec.expect(QStringLiteral("Receive timeout"));
        rig->click("btn1");
        QVERIFY(waitAll(*rig));
        rig->form->settingsModel().setContent(5, QStringLiteral("Saved after a lost login"));
        rig->rec.expectStartsWith(kSettingsUnread);
        rig->rec.expect(kSettingsSaveOk);
        rig->click("btn22");
        QVERIFY(waitAll(*rig));
        QCOMPARE(rig->sim->memory(28, 25), QByteArray("Saved after a lost login\0", 25));
        QCOMPARE(rig->sim->requestCount(), 4);
    }

    // A stray write acknowledgement during a read writes nothing and decodes nothing.
    void strayAckDuringARead()
    {
        devsim::Options o;
        o.injectAt = 2;
        o.inject = QByteArray::fromHex("23820000000000010182");
        auto rig = FormRig::loggedIn(o);
        const QByteArray before = rig->sim->memory(0, 512);
        rig->rec.expect(kSettingsReadAsk);
        rig->rec.expect(kSettingsReadOk);
        rig->click("btn21");
        QVERIFY(waitAll(*rig));
        QCOMPARE(rig->sim->memory(0, 512), before);
        QCOMPARE(rig->sim->requestCount(), 3); // login and two reads: no write went out
    }

    // A page holding a false frame header, cut half way: the next operation succeeds.
    void falseHeaderInACutPage()
    {
        devsim::Options o;
        o.dropReply = 2;
        o.injectAt = 2;
        auto page1 = QByteArray(256, '\0');
        page1.replace(0, 4, "8530");
        page1.replace(240, 8, QByteArray::fromHex("2383000000000040"));
        // Reply 2 loses its start byte and stops after the false header.
        o.inject = test::frame(0x83, 0, page1).mid(1, 8 + 250);
        auto rig = std::make_unique<FormRig>(o);
        rig->sim->setMemory(0, page1);
        QVERIFY(rig->openAndLogIn());
        rig->rec.expect(kSettingsReadAsk);
        rig->rec.expectStartsWith(QStringLiteral("Receive timeout"));
        rig->click("btn21");
        QVERIFY(waitAll(*rig));
        rig->rec.expect(kSettingsReadAsk);
        rig->rec.expect(kSettingsReadOk);
        rig->click("btn21");
        QVERIFY(waitAll(*rig));
    }
};

QTEST_MAIN(TstReplies)
#include "tst_replies.moc"

// The audit's findings in the window: shown after a read, choosing one selects what it
// concerns, gone once the table is fixed, and never in the way of a save.
#include "form_rig.h"

#include "numbers/numbers_model.h"
#include "settings/settings_model.h"
#include "ui/findings_bar.h"
#include "ui/history_page.h"
#include "ui/number_list_editor.h"
#include "ui/number_list_page.h"
#include "ui/settings_editor.h"

#include <QMenu>
#include <QTableView>

using namespace zc;
using namespace zc::test;

namespace {

QStringList rulesOf(const FindingsBar *bar)
{
    QStringList ids;
    for (const Audit::Finding &f : bar->findings())
        ids << f.rule;
    return ids;
}

// Chooses the Details entry of the rule, as a click on it does.
void choose(FindingsBar *bar, const QString &rule)
{
    const QList<QAction *> entries = bar->findChild<QMenu *>(QStringLiteral("findingsList"))->actions();
    for (qsizetype i = 0; i < bar->findings().size(); ++i)
        if (bar->findings()[i].rule == rule) entries[i]->trigger();
}

} // namespace

class TstFindings : public QObject
{
    Q_OBJECT
private slots:
    void settingsFindingsFollowTheTable()
    {
        devsim::Options o;
        o.preset = devsim::Preset::Clean;
        o.seeds = {QStringLiteral("factory-password"), QStringLiteral("any-caller-opens")};
        auto rig = FormRig::loggedIn(o);
        auto *bar = rig->form->findChild<SettingsPage *>()->findingsBar();
        QVERIFY(!bar->isVisible());
        rig->rec.expect(kSettingsReadAsk);
        rig->rec.expect(kSettingsReadOk);
        QVERIFY(rig->clickAndWait("btn21"));
        QTRY_VERIFY(bar->isVisible());
        QCOMPARE(rulesOf(bar),
                 (QStringList{QStringLiteral("factory-password"), QStringLiteral("any-caller-opens")}));
        QCOMPARE(bar->text(), QStringLiteral("2 risks: factory password; every caller may open the gate"));
        choose(bar, QStringLiteral("any-caller-opens"));
        QCOMPARE(rig->form->findChild<SettingsPage *>()->editor()->grid()->currentIndex().row(), 9);

        // A save while findings show goes as ever: no question, no message beyond its own.
        rig->rec.expect(kSettingsSaveOk);
        QVERIFY(rig->clickAndWait("btn22"));

        SettingsModel &m = rig->form->settingsModel();
        m.setContent(1, QStringLiteral("4321"));
        QTRY_COMPARE(rulesOf(bar), QStringList{QStringLiteral("any-caller-opens")});
        m.setPickSelection(9, 1);
        QTRY_VERIFY(!bar->isVisible());
        rig->rec.expect(kSettingsSaveOk);
        QVERIFY(rig->clickAndWait("btn22"));
        QCOMPARE(rig->sim->memory(0, 4), QByteArray("4321"));
        QCOMPARE(rig->sim->memory(110, 1), QByteArray(1, '\x01'));
    }

    void listFindingsSelectRows()
    {
        devsim::Options o;
        o.preset = devsim::Preset::Clean;
        o.seeds = {QStringLiteral("factory-password"), QStringLiteral("window-ended"),
                   QStringLiteral("relay-by-unlisted-number")};
        auto rig = FormRig::loggedIn(o);
        auto *page = rig->form->findChild<NumberListPage *>();
        rig->rec.expect(QStringLiteral("Read the Authorized number list from GSM device to PC software?"));
        rig->rec.expect(QStringLiteral("Authorized number list read to PC software success."));
        QVERIFY(rig->clickAndWait("btn10"));
        QTRY_VERIFY(!page->findingsBar()->isHidden());
        QCOMPARE(rulesOf(page->findingsBar()), QStringList{QStringLiteral("window-ended")});
        choose(page->findingsBar(), QStringLiteral("window-ended"));
        QCOMPARE(page->editor()->grid()->selectionModel()->selectedRows(),
                 QModelIndexList{page->model().index(4, 0)});
        page->model().setText(4, NumberColumn::Always, CheckCell::kYes);
        QTRY_VERIFY(page->findingsBar()->isHidden());

        // The log's findings show on the history page, and select the records concerned.
        auto *history = rig->form->findChild<HistoryPage *>();
        rig->click("btn19");
        QTRY_VERIFY_WITH_TIMEOUT(!history->findingsBar()->isHidden(), 60000);
        QCOMPARE(rulesOf(history->findingsBar()), QStringList{QStringLiteral("relay-by-unlisted-number")});
        choose(history->findingsBar(), QStringLiteral("relay-by-unlisted-number"));
        const QModelIndexList chosen = history->grid()->selectionModel()->selectedIndexes();
        QVERIFY(!chosen.isEmpty());
        QCOMPARE(history->model().text(chosen.first().row(), HistoryModel::NumberColumn),
                 QStringLiteral("7"));
    }
};

QTEST_MAIN(TstFindings)
#include "tst_findings.moc"

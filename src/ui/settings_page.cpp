#include "ui/settings_page.h"

#include "link/link_session.h"
#include "link/unit_pages.h"
#include "settings/settings_check.h"
#include "settings/settings_json.h"
#include "settings/settings_profile.h"
#include "sheets/json_envelope.h"
#include "ui/findings_bar.h"
#include "ui/page_undo.h"
#include "ui/reporters.h"
#include "ui/settings_editor.h"
#include "ui/widget_placing.h"
#include "words/left_behind.h"
#include "words/reporter.h"
#include "words/save_words.h"

#include <QPushButton>

namespace zc {

SettingsPage::SettingsPage(LinkSession &session, Reporter &reporter, FileDialogs *files, Clock clock,
                           QWidget *parent)
    : QWidget(parent), m_session(session), m_reporter(reporter), m_basicInf(m_model),
      m_files(reporter, files, std::move(clock), this)
{
    setObjectName(QStringLiteral("ts1"));
    session.attach(m_basicInf);
    m_unitPages = new UnitPages(m_basicInf, session, this);

    auto *left = new QWidget(this);
    left->setObjectName(QStringLiteral("pnl_settings"));
    left->setGeometry(0, 0, 100, 585);
    QPushButton *btn21 = placeButton(left, "btn21", QStringLiteral("Read Settings"), {7, 47, 85, 31});
    QPushButton *btn22 = placeButton(left, "btn22", QStringLiteral("Save Settings"), {7, 113, 85, 31});
    QPushButton *btn16 = placeButton(left, "btn16", QStringLiteral("Import profile"), {7, 179, 85, 31});
    QPushButton *btn17 = placeButton(left, "btn17", QStringLiteral("Export profile"), {7, 246, 85, 31});
    m_editor = new SettingsEditor(&m_model, this);
    m_editor->setGeometry(100, 0, 876, 585);
    m_findings = new FindingsBar(this);
    m_findings->placeAbove(m_editor);
    m_editor->undo()->follow(m_basicInf);
    m_editor->setReporter(&m_reporter);
    // While a read or save runs the table stays as it is: a change made then would be
    // neither on the unit nor marked as unsaved.
    m_editor->setEditGuard([this] { return refuseWhileTransferring(m_reporter); });
    m_controls = {btn21, btn22, btn16, btn17};
    m_keyButtons = {btn21, btn22, btn17};
    connect(btn21, &QPushButton::clicked, this, &SettingsPage::btn21Click);
    connect(btn22, &QPushButton::clicked, this, &SettingsPage::btn22Click);
    connect(btn16, &QPushButton::clicked, this, &SettingsPage::btn16Click);
    connect(btn17, &QPushButton::clicked, this, &SettingsPage::btn17Click);
}

PageUndo *SettingsPage::undo() const
{
    return m_editor->undo();
}

void SettingsPage::btn21Click()
{
    if (m_session.refuseDeviceAction()) return;
    if (!confirmOverEdits(m_reporter, QStringLiteral("Read the GSM device basic parameters to PC software?"),
                          m_editor->undo()->hasChanges()))
        return;
    m_basicInf.Read();
}

void SettingsPage::btn22Click()
{
    if (m_session.refuseDeviceAction()) return;
    // Encoding the record is its one check: an item the unit cannot hold is named before
    // anything is asked or sent. A long text is let in: the question below names it.
    if (!m_basicInf.prepareSave(SettingsCheck::Cut::Allow)) {
        if (!m_basicInf.refusedItems().isEmpty()) m_editor->showItem(m_basicInf.refusedItems().first().first);
        m_reporter.messageDialog(m_basicInf.refusal());
        return;
    }
    if (!askBeforeLoss()) return;
    // A text the unit cannot hold whole is named, and saved cut only when the user agrees.
    if (const QString cut = SaveWords::cutQuestion(m_basicInf.cutTexts());
        !cut.isEmpty() && !m_reporter.question(cut))
        return;
    // The port may have gone while a question was open: nothing is sent to a closed port.
    if (m_session.refuseDeviceAction()) return;
    m_basicInf.sendPrepared();
}

bool SettingsPage::askBeforeLoss()
{
    if (m_unitPages->known()) return true;
    if (m_unitPages->anyKnown())
        return m_reporter.confirm(
            unknownPagesSentence(Area::Settings, m_unitPages->unknownPages(), kSettingsPages) +
                QStringLiteral("\nThis save replaces it with this table.\nSave anyway?"),
            Reporter::Prompt::Question, Reporter::Default::Cancel);
    return m_reporter.confirm(
        QStringLiteral("The settings were not read from the unit since the port was opened.\n"
                       "This save replaces everything the unit holds with this table, its password "
                       "included.\nSave anyway?"),
        Reporter::Prompt::Question, Reporter::Default::Cancel);
}

void SettingsPage::btn17Click()
{
    const QString chosen =
        m_files.askWorkbookToSave(QStringLiteral("basicinf_R"), QStringLiteral("dlgSave1"));
    if (chosen.isEmpty()) return;
    if (JsonEnvelope::isJsonFile(chosen)) return m_files.saveJson(chosen, SettingsJson::bytes(m_model));
    m_files.reportSaved(
        SettingsProfile::exportToFile(m_model, chosen, [this](int percent, const QString &status) {
            m_reporter.setProgress(percent);
            m_reporter.setStatus(status);
        }));
}

void SettingsPage::btn16Click()
{
    // A read or save still running would mix the profile's items with the unit's.
    if (refuseWhileTransferring(m_reporter)) return;
    if (!confirmOverEdits(m_reporter, {}, m_editor->undo()->hasChanges())) return;
    const QString path = m_files.askWorkbookToOpen(QStringLiteral("dlgOpen1"));
    if (path.isEmpty()) return;
    // A long text is let in: the save names it and asks before cutting it.
    QList<int> numberCells;
    const QString message = SettingsProfile::importFromFile(
        path, m_model,
        [this](int percent, const QString &status) {
            m_reporter.setProgress(percent);
            m_reporter.setStatus(status);
        },
        SettingsCheck::Cut::Allow, &numberCells);
    if (!message.isEmpty())
        m_reporter.messageDialog(message);
    else if (!numberCells.isEmpty())
        m_reporter.messageBox(SettingsProfile::numberCellWarning(numberCells));
}

} // namespace zc

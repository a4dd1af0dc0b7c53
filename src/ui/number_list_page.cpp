#include "ui/number_list_page.h"

#include "link/link_session.h"
#include "link/unit_pages.h"
#include "numbers/number_check.h"
#include "numbers/number_list_check.h"
#include "numbers/number_save_checks.h"
#include "numbers/numbers_csv.h"
#include "numbers/numbers_diff.h"
#include "numbers/numbers_import.h"
#include "numbers/numbers_json.h"
#include "numbers/numbers_sheet.h"
#include "sheets/json_envelope.h"
#include "sheets/workbook_reader.h"
#include "sheets/workbook_writer.h"
#include "ui/findings_bar.h"
#include "ui/number_find_bar.h"
#include "ui/number_list_editor.h"
#include "ui/page_undo.h"
#include "ui/reporters.h"
#include "ui/widget_placing.h"
#include "words/diff_words.h"
#include "words/left_behind.h"
#include "words/reporter.h"
#include "words/save_words.h"

#include <QAction>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace zc {

NumberListPage::NumberListPage(LinkSession &session, Reporter &reporter, FileDialogs *files, Clock clock,
                               QWidget *parent)
    : QWidget(parent), m_session(session), m_reporter(reporter), m_telephoneSend(m_model),
      m_files(reporter, files, std::move(clock), this)
{
    setObjectName(QStringLiteral("ts2"));
    session.attach(m_telephoneSend);
    m_unitPages = new UnitPages(m_telephoneSend, session, this);

    auto *left = new QWidget(this);
    left->setObjectName(QStringLiteral("pnl_numbers"));
    left->setFixedWidth(100);
    left->setMinimumHeight(420);
    QPushButton *btn10 = placeButton(left, "btn10", QStringLiteral("Read"), {8, 45, 85, 30});
    QPushButton *btn9 = placeButton(left, "btn9", QStringLiteral("Save"), {8, 101, 85, 30});
    QPushButton *btn14 = placeButton(left, "btn14", QStringLiteral("Import .XLS"), {8, 158, 85, 30});
    QPushButton *btn15 = placeButton(left, "btn15", QStringLiteral("Export .XLS"), {8, 214, 85, 30});
    QPushButton *btn3 = placeButton(left, "btn3", QStringLiteral("Export .CSV"), {8, 271, 85, 30});
    QPushButton *btn6 = placeButton(left, "btn6", QStringLiteral("All Always"), {8, 330, 85, 30});
    QPushButton *btn7 = placeButton(left, "btn7", QStringLiteral("Delete all"), {8, 385, 85, 30});
    m_editor = new NumberListEditor(&m_model, this);
    m_editor->undo()->follow(m_telephoneSend);
    m_editor->setEditGuard([this] { return refuseEdit(); });
    m_editor->setReporter(&m_reporter);
    m_findBar = new NumberFindBar(&m_model, m_editor, this);
    auto *middle = new QVBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    middle->addWidget(m_findBar);
    middle->addWidget(m_findings = new FindingsBar(this));
    middle->addWidget(m_editor, 1);
    auto *strip = new QWidget(this); // the narrow empty strip right of the grid
    strip->setFixedWidth(22);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(left);
    layout->addLayout(middle, 1);
    layout->addWidget(strip);
    m_controls = {btn10, btn9, btn14, btn15, btn3, btn6, btn7};
    m_keyButtons = {btn10, btn9, btn15};
    connect(btn9, &QPushButton::clicked, this, &NumberListPage::btn9Click);
    connect(btn10, &QPushButton::clicked, this, &NumberListPage::btn10Click);
    connect(btn6, &QPushButton::clicked, this, &NumberListPage::btn6Click);
    connect(btn7, &QPushButton::clicked, this, &NumberListPage::btn7Click);
    connect(btn14, &QPushButton::clicked, this, &NumberListPage::btn14Click);
    connect(btn15, &QPushButton::clicked, this, &NumberListPage::btn15Click);
    connect(btn3, &QPushButton::clicked, this, &NumberListPage::btn3Click);

    const auto shortcut = [this](QKeySequence keys, auto slot) {
        auto *s = new QShortcut(keys, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    const auto findField = [this] { m_findBar->focusField(); };
    const auto firstFree = [this] {
        if (!m_findBar->goToFirstFreeRow()) m_reporter.setStatus(QStringLiteral("Every row holds a number"));
    };
    shortcut(QKeySequence::Find, findField);
    shortcut(QKeySequence(Qt::Key_F3), [this] { m_findBar->goToMatch(true); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { m_findBar->goToMatch(false); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_G), firstFree);

    // A right-click on the grid offers the same, with the keys that do it.
    QTableView *grid = m_editor->grid();
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto menuItem = [grid](const QString &text, auto slot) {
        auto *a = new QAction(text, grid);
        connect(a, &QAction::triggered, grid, slot);
        grid->addAction(a);
    };
    menuItem(QStringLiteral("Copy\tCtrl+C"), [this] { m_editor->copySelection(); });
    menuItem(QStringLiteral("Paste\tCtrl+V"), [this] { m_editor->paste(); });
    menuItem(QStringLiteral("Clear\tDel"), [this] { m_editor->deleteSelection(); });
    menuItem(QStringLiteral("Find...\tCtrl+F"), findField);
    menuItem(QStringLiteral("First free row\tCtrl+G"), firstFree);
}

bool NumberListPage::refuseEdit()
{
    return refuseWhileTransferring(m_reporter);
}

void NumberListPage::commitEdits()
{
    m_editor->commitPicker();
}

PageUndo *NumberListPage::undo() const
{
    return m_editor->undo();
}

void NumberListPage::wheelEvent(QWheelEvent *event)
{
    m_editor->wheelScroll(event);
}

void NumberListPage::btn9Click()
{
    // A picker still open gives its value to its cell first: Save sends what is shown.
    m_editor->commitPicker();
    if (m_session.refuseDeviceAction()) return;
    // Encoding the list is its one check: a refused list names its rows and shows the first.
    if (!m_telephoneSend.prepareSave()) {
        if (!m_telephoneSend.refusedRows().isEmpty())
            m_editor->showRow(m_telephoneSend.refusedRows().first());
        m_reporter.messageBox(SaveWords::listRefusal(m_telephoneSend, m_model));
        return;
    }
    // The same number in several rows is allowed, but only when the user says so.
    if (!askBeforeLoss()) return;
    const QString duplicates = SaveWords::duplicateQuestion(NumberSaveChecks::duplicates(m_model));
    if (!duplicates.isEmpty() && !m_reporter.question(duplicates)) return;
    // The port may have gone while a question was open: nothing is sent to a closed port.
    if (m_session.refuseDeviceAction()) return;
    m_telephoneSend.sendPrepared();
}

bool NumberListPage::askBeforeLoss()
{
    // The pages this save would send, as encoded by its check.
    const auto &prepared = m_telephoneSend.savedPages();
    const QList<PageBytes> table(prepared.begin(), prepared.end());
    if (!m_unitPages->anyKnown())
        return m_reporter.confirm(
            QStringLiteral("The number list was not read from the unit since the port was opened.\n"
                           "This save replaces every number the unit holds with this table.\nSave anyway?"),
            Reporter::Prompt::Question, Reporter::Default::Cancel);
    // Pages a stopped save left unknown are compared as this save sends them: the question
    // names them instead.
    const AreaDiff diff = NumbersDiff::compare(m_unitPages->pagesOr(table), table);
    const int removed = diff.count(AreaDiff::Kind::Removed);
    const QList<int> unknown = m_unitPages->unknownPages();
    QStringList text;
    if (!unknown.isEmpty())
        text << unknownPagesSentence(Area::Numbers, unknown, int(table.size()))
             << QStringLiteral("This save replaces the numbers there with this table.");
    if (removed > 0)
        text << QStringLiteral("This save removes %1 %2 from the unit.")
                    .arg(removed)
                    .arg(removed == 1 ? QStringLiteral("number") : QStringLiteral("numbers"));
    if (text.isEmpty()) return true;
    return m_reporter.confirm(text.join(QLatin1Char('\n')) + QStringLiteral("\nSave anyway?"),
                              Reporter::Prompt::Question, Reporter::Default::Cancel, diffDetails(diff));
}

void NumberListPage::btn10Click()
{
    m_editor->commitPicker();
    if (m_session.refuseDeviceAction()) return;
    if (!confirmOverEdits(m_reporter,
                          QStringLiteral("Read the Authorized number list from GSM device to PC software?"),
                          m_editor->undo()->hasChanges()))
        return;
    m_telephoneSend.Read();
}

void NumberListPage::btn6Click()
{
    if (refuseEdit()) return;
    m_editor->commitPicker();
    m_model.pressAllAlways();
}

void NumberListPage::btn7Click()
{
    if (refuseEdit()) return;
    m_editor->commitPicker();
    m_model.pressDeleteAll();
}

void NumberListPage::btn15Click()
{
    m_editor->commitPicker();
    const QString chosen = m_files.askWorkbookToSave(QStringLiteral("telinf_R"));
    if (chosen.isEmpty()) return;
    if (JsonEnvelope::isJsonFile(chosen)) return m_files.saveJson(chosen, NumbersJson::bytes(m_model));
    constexpr int last = NumbersModel::LastEntry;
    const Sheet sheet = NumbersSheet::toSheet(m_model, [this](int row) {
        if (row == 0) return;
        m_reporter.setProgress(row * 100 / last);
        m_reporter.setStatus(QStringLiteral("Save:%1/%2").arg(row).arg(last));
    });
    m_files.reportSaved(WorkbookWriter::save(sheet, chosen));
}

void NumberListPage::btn14Click()
{
    // A read or save still running would mix the workbook's entries with the unit's.
    if (refuseEdit()) return;
    m_editor->commitPicker();
    if (!confirmOverEdits(m_reporter, {}, m_editor->undo()->hasChanges())) return;
    const QString path = m_files.askWorkbookToOpen();
    if (path.isEmpty()) return;
    const NumbersImport::Result result = NumbersImport::fromFile(path);
    switch (result.verdict) {
    case NumbersImport::Result::Verdict::WrongFormat:
        m_reporter.messageDialog(result.message);
        return;
    case NumbersImport::Result::Verdict::WrongRows:
        m_editor->showRow(result.firstWrongRow);
        m_reporter.messageBox(result.message);
        return;
    case NumbersImport::Result::Verdict::Apply:
        break;
    }
    // The checked rows go into the table in one step, so the progress ends at once.
    NumbersImport::apply(result, m_model);
    m_reporter.setProgress(100);
    m_reporter.setStatus(QStringLiteral("Import.xls"));
    if (!result.warning.isEmpty()) m_reporter.messageBox(result.warning);
}

void NumberListPage::btn3Click()
{
    m_editor->commitPicker();
    m_files.writeCsvExport(
        QStringLiteral("telinf_CSV"), NumbersModel::LastEntry,
        [this](const PageFiles::RowDone &rowDone) { return NumbersCsv::exportBytes(m_model, rowDone); });
}

} // namespace zc

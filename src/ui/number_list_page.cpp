#include "ui/number_list_page.h"

#include "link/link_session.h"
#include "link/reporter.h"
#include "numbers/numbers_csv.h"
#include "numbers/numbers_import.h"
#include "numbers/numbers_sheet.h"
#include "sheets/workbook_reader.h"
#include "sheets/workbook_writer.h"
#include "ui/number_list_editor.h"
#include "ui/page_undo.h"
#include "ui/reporters.h"
#include "ui/settings_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QWheelEvent>

namespace zc {

NumberListPage::NumberListPage(LinkSession &session, Reporter &reporter, FileDialogs *files, Clock clock,
                               QWidget *parent)
    : QWidget(parent), m_session(session), m_reporter(reporter), m_telephoneSend(m_model),
      m_files(reporter, files, std::move(clock), this)
{
    setObjectName(QStringLiteral("ts2"));
    session.attach(m_telephoneSend);

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
    auto *strip = new QWidget(this); // the narrow empty strip right of the grid
    strip->setFixedWidth(22);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(left);
    layout->addWidget(m_editor, 1);
    layout->addWidget(strip);
    m_controls = {btn10, btn9, btn14, btn15, btn3, btn6, btn7};
    connect(btn9, &QPushButton::clicked, this, &NumberListPage::btn9Click);
    connect(btn10, &QPushButton::clicked, this, &NumberListPage::btn10Click);
    connect(btn6, &QPushButton::clicked, this, &NumberListPage::btn6Click);
    connect(btn7, &QPushButton::clicked, this, &NumberListPage::btn7Click);
    connect(btn14, &QPushButton::clicked, this, &NumberListPage::btn14Click);
    connect(btn15, &QPushButton::clicked, this, &NumberListPage::btn15Click);
    connect(btn3, &QPushButton::clicked, this, &NumberListPage::btn3Click);
}

void NumberListPage::wheelEvent(QWheelEvent *event)
{
    m_editor->wheelScroll(event);
}

void NumberListPage::btn9Click()
{
    if (m_session.refuseDeviceAction()) return;
    m_telephoneSend.Save();
}

void NumberListPage::btn10Click()
{
    if (m_session.refuseDeviceAction()) return;
    if (!confirmOverEdits(m_reporter,
                          QStringLiteral("Read the Authorized number list from GSM device to PC software?"),
                          m_editor->undo()->hasChanges()))
        return;
    m_telephoneSend.Read();
}

void NumberListPage::btn6Click()
{
    m_model.pressAllAlways();
}

void NumberListPage::btn7Click()
{
    m_model.pressDeleteAll();
}

void NumberListPage::btn15Click()
{
    const QString chosen = m_files.askWorkbookToSave(QStringLiteral("telinf_R"));
    if (chosen.isEmpty()) return;
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
    if (m_telephoneSend.running() && m_session.refuseWhileBusy()) return;
    if (!confirmOverEdits(m_reporter, {}, m_editor->undo()->hasChanges())) return;
    const QString path = m_files.askWorkbookToOpen();
    if (path.isEmpty()) return;
    const SheetReadResult read = WorkbookReader::read(path);
    if (!read.ok()) {
        m_reporter.messageDialog(read.error);
        return;
    }
    const NumbersImport::Result result = NumbersImport::check(NumbersSheet::cells(read.sheet));
    switch (result.verdict) {
    case NumbersImport::Result::Verdict::WrongFormat:
        m_reporter.messageDialog(result.message);
        return;
    case NumbersImport::Result::Verdict::WrongRows:
        m_reporter.messageBox(result.message);
        return;
    case NumbersImport::Result::Verdict::Apply:
        break;
    }
    // The checked rows go into the table in one step, so the progress ends at once.
    NumbersImport::apply(result, m_model);
    m_reporter.setProgress(100);
    m_reporter.setStatus(QStringLiteral("Import.xls"));
}

void NumberListPage::btn3Click()
{
    constexpr int last = NumbersModel::LastEntry;
    m_files.writeTextFile(QStringLiteral("telinf_CSV"), [this] {
        return NumbersCsv::exportBytes(m_model, [this](int line) {
            m_reporter.setProgress(line * 100 / (last + 1));
            m_reporter.setStatus(QStringLiteral("Export.csv:%1/%2").arg(line - 1).arg(last));
        });
    });
}

} // namespace zc

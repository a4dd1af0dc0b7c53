#include "ui/audit_watch.h"

#include "history/history_model.h"
#include "numbers/numbers_model.h"
#include "settings/settings_model.h"
#include "ui/findings_bar.h"
#include "ui/history_page.h"
#include "ui/number_list_editor.h"
#include "ui/number_list_page.h"
#include "ui/settings_editor.h"
#include "ui/settings_page.h"

#include <QItemSelection>
#include <QTableView>
#include <QTimer>

namespace zc {

namespace {

// Selects rows of a grid (whole rows) and shows the first.
void selectRows(QTableView *grid, const QList<int> &rows)
{
    if (!grid || rows.isEmpty()) return;
    QItemSelection selection;
    const QAbstractItemModel *model = grid->model();
    for (int r : rows)
        selection.select(model->index(r, 0), model->index(r, model->columnCount() - 1));
    grid->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    grid->scrollTo(model->index(rows.first(), 1));
}

} // namespace

AuditWatch::AuditWatch(SettingsPage &settings, NumberListPage &numbers, HistoryPage &history, Clock clock,
                       QObject *parent)
    : QObject(parent), m_settings(settings), m_numbers(numbers), m_history(history), m_clock(std::move(clock))
{
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &AuditWatch::evaluate);

    // After a completed read or save the table holds what the unit holds.
    const auto known = [this](Tsend_rec_command &transfer, unsigned area) {
        connect(&transfer, &Tsend_rec_command::done, this, [this, area](const Outcome &outcome) {
            if (!outcome.completed()) return;
            m_known |= area;
            schedule();
        });
    };
    known(settings.transfer(), Audit::Settings);
    known(numbers.transfer(), Audit::Numbers);
    connect(&history.transfer(), &Tsend_rec_command::done, this, [this](const Outcome &outcome) {
        if (!outcome.completed()) return;
        m_log = m_history.transfer().store().records();
        m_known |= Audit::History;
        schedule();
    });

    const auto follow = [this](QAbstractItemModel *model) {
        connect(model, &QAbstractItemModel::dataChanged, this, &AuditWatch::schedule);
        connect(model, &QAbstractItemModel::modelReset, this, &AuditWatch::schedule);
    };
    follow(&settings.model());
    follow(&numbers.model());
    connect(&settings.model(), &SettingsModel::pickSelectionChanged, this, &AuditWatch::schedule);

    for (FindingsBar *bar : {settings.findingsBar(), numbers.findingsBar(), history.findingsBar()})
        bar->onChosen = [this](const Audit::Finding &f) { choose(f); };
}

void AuditWatch::schedule()
{
    if (m_known) m_timer->start();
}

void AuditWatch::evaluate()
{
    // A table half read is no finding: the transfer's end runs the rules again.
    if (m_settings.transfer().active() || m_numbers.transfer().active() || m_history.transfer().active())
        return;
    Audit::Input in;
    in.settings = m_known & Audit::Settings ? &m_settings.model() : nullptr;
    in.numbers = m_known & Audit::Numbers ? &m_numbers.model() : nullptr;
    if (m_known & Audit::History) in.history = std::span<const HistoryModel::Record>(m_log);
    in.now = m_clock ? m_clock() : QDateTime::currentDateTime();
    QList<Audit::Finding> item, rows, records;
    for (const Audit::Finding &f : Audit::evaluate(in)) {
        const Audit::Rule *rule = Audit::findRule(f.rule);
        (rule->concerns == Audit::Concerns::Item   ? item
         : rule->concerns == Audit::Concerns::Rows ? rows
                                                   : records)
            << f;
    }
    m_settings.findingsBar()->setFindings(item);
    m_numbers.findingsBar()->setFindings(rows);
    m_history.findingsBar()->setFindings(records);
}

void AuditWatch::choose(const Audit::Finding &f)
{
    if (f.item) {
        m_settings.editor()->showItem(f.item);
    } else if (!f.rows.isEmpty()) {
        m_numbers.editor()->showRow(f.rows.first());
        selectRows(m_numbers.editor()->grid(), f.rows);
    } else if (!f.records.isEmpty()) {
        // The records as the history grid shows them now, found by their number.
        QList<int> rows;
        const HistoryModel &model = m_history.model();
        for (int r = HistoryModel::FirstRecordRow; r <= HistoryModel::LastRecordRow; ++r)
            if (f.records.contains(model.text(r, HistoryModel::NumberColumn).toInt()) &&
                !model.text(r, HistoryModel::NumberColumn).isEmpty())
                rows << r;
        selectRows(m_history.grid(), rows);
    }
}

} // namespace zc

#include "ui/findings_bar.h"

#include "history/history_model.h"
#include "numbers/numbers_model.h"
#include "settings/settings_model.h"
#include "ui/contrast.h"
#include "ui/history_page.h"
#include "ui/number_list_editor.h"
#include "ui/number_list_page.h"
#include "ui/settings_editor.h"
#include "ui/settings_page.h"
#include "words/finding_words.h"

#include <QHBoxLayout>
#include <QItemSelection>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace zc {

namespace {

constexpr int kHeight = 24;

// Fixed light colours with text chosen to read on them, so the strip reads the same in a
// light and a dark palette.
QColor background(Audit::Severity worst)
{
    switch (worst) {
    case Audit::Severity::High:
        return {0xF6, 0xC9, 0xC4};
    case Audit::Severity::Warning:
        return {0xFB, 0xE3, 0xA6};
    case Audit::Severity::Info:
        break;
    }
    return {0xCF, 0xE2, 0xF8};
}

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

FindingsBar::FindingsBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("findingsBar"));
    setAutoFillBackground(true);
    setFixedHeight(kHeight);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("findingsText"));
    m_details = new QPushButton(QStringLiteral("Details"), this);
    m_details->setObjectName(QStringLiteral("findingsDetails"));
    m_details->setFlat(true);
    m_details->setCursor(Qt::PointingHandCursor);
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("findingsList"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 0, 4, 0);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_details);
    connect(m_details, &QPushButton::clicked, this, &FindingsBar::showDetails);
    hide();
}

void FindingsBar::placeAbove(QWidget *grid)
{
    m_grid = grid;
    m_gridPlace = grid->geometry();
}

QString FindingsBar::text() const
{
    return isVisibleTo(parentWidget()) ? m_text->text() : QString();
}

void FindingsBar::setFindings(const QList<Audit::Finding> &findings)
{
    m_findings = findings;
    m_menu->clear();
    Audit::Severity worst = Audit::Severity::Info;
    for (const Audit::Finding &f : findings) {
        worst = qMin(worst, f.severity);
        QAction *a = m_menu->addAction(FindingWords::detail(f));
        connect(a, &QAction::triggered, this, [this, f] {
            if (onChosen) onChosen(f);
        });
    }
    m_text->setText(FindingWords::line(findings));
    m_text->setToolTip(m_text->text());
    QPalette p = Contrast::onFixedColour(palette(), background(worst));
    setPalette(p);
    m_text->setPalette(p);
    m_details->setPalette(p);
    setVisible(!findings.isEmpty());
    fitGrid();
}

void FindingsBar::fitGrid()
{
    if (!m_grid) return;
    if (isVisibleTo(parentWidget())) {
        setGeometry(m_gridPlace.x(), m_gridPlace.y(), m_gridPlace.width(), kHeight);
        m_grid->setGeometry(m_gridPlace.adjusted(0, kHeight, 0, 0));
        raise();
    } else {
        m_grid->setGeometry(m_gridPlace);
    }
}

void FindingsBar::showDetails()
{
    // Shown without a loop of its own: nothing waits for it.
    m_menu->popup(m_details->mapToGlobal(QPoint(0, m_details->height())));
}

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

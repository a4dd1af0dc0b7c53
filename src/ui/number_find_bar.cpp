#include "ui/number_find_bar.h"

#include "numbers/numbers_find.h"
#include "numbers/numbers_model.h"
#include "ui/number_list_editor.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>

namespace zc {

NumberFindBar::NumberFindBar(NumbersModel *model, NumberListEditor *editor, QWidget *parent)
    : QWidget(parent), m_model(model), m_editor(editor), m_found(std::size_t(NumbersModel::Rows), 0)
{
    setObjectName(QStringLiteral("pnl_find"));
    auto *label = new QLabel(QStringLiteral("Find:"), this);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("edt_find"));
    m_field->setPlaceholderText(QStringLiteral("digits or +   (Ctrl+F)"));
    m_field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[+0-9]*")), m_field));
    m_field->setClearButtonEnabled(true);
    m_field->setFixedWidth(190);
    label->setBuddy(m_field);
    m_only = new QCheckBox(QStringLiteral("Only matching rows"), this);
    m_only->setObjectName(QStringLiteral("chk_matching"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lbl_findcount"));
    m_free = new QPushButton(QStringLiteral("First free row"), this);
    m_free->setObjectName(QStringLiteral("btn_firstfree"));
    m_free->setToolTip(QStringLiteral("Go to the first row without a number (Ctrl+G)"));
    m_free->setFocusPolicy(Qt::NoFocus);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->addWidget(label);
    layout->addWidget(m_field);
    layout->addSpacing(8);
    layout->addWidget(m_only);
    layout->addSpacing(8);
    layout->addWidget(m_count, 1);
    layout->addWidget(m_free);

    m_editor->delegate()->setFound(&m_found);
    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::textChanged, this, [this] { refresh(true); });
    connect(m_field, &QLineEdit::returnPressed, this, [this] { goToMatch(true); });
    connect(m_only, &QCheckBox::toggled, this, &NumberFindBar::applyFilter);
    connect(m_free, &QPushButton::clicked, this, &NumberFindBar::goToFirstFreeRow);
    // Numbers that change keep the highlight and the count right.
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                if (topLeft.column() <= NumberColumn::Number && bottomRight.column() >= NumberColumn::Number)
                    refresh(false);
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        m_filtered = false; // the grid shows every row again after a reset
        refresh(false);
    });
    refresh(false);
}

void NumberFindBar::refresh(bool scrollToFirst)
{
    const QString text = m_field->text();
    m_matches = NumbersFind::matches(*m_model, text);
    std::vector<char> found(m_found.size(), 0);
    for (int r : m_matches)
        found[std::size_t(r)] = 1;
    m_count->setText(
        NumbersFind::countText(NumbersFind::rowsInUse(*m_model), int(m_matches.size()), !text.isEmpty()));
    // The highlight is repainted when it moved: a read changes numbers page by page, and
    // with nothing to find each page would otherwise repaint the whole grid.
    const bool moved = found != m_found;
    m_found = std::move(found);
    applyFilter();
    if (moved) m_editor->grid()->viewport()->update();
    if (scrollToFirst && !m_matches.isEmpty()) goTo(m_matches.front());
}

void NumberFindBar::applyFilter()
{
    QTableView *grid = m_editor->grid();
    const bool filter = m_only->isChecked() && !m_field->text().isEmpty();
    if (!filter && !m_filtered) return;
    // The grid lays its rows out once, after all of them are hidden or shown.
    grid->setUpdatesEnabled(false);
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        const bool hide = filter && !m_found[std::size_t(r)];
        if (grid->isRowHidden(r) != hide) grid->setRowHidden(r, hide);
    }
    grid->setUpdatesEnabled(true);
    m_filtered = filter;
    m_editor->placePicker();
}

void NumberFindBar::goTo(int row)
{
    QTableView *grid = m_editor->grid();
    const QModelIndex to = m_model->index(row, NumberColumn::Number);
    grid->selectionModel()->setCurrentIndex(to, QItemSelectionModel::ClearAndSelect);
    grid->scrollTo(to, QAbstractItemView::PositionAtCenter);
}

void NumberFindBar::focusField()
{
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void NumberFindBar::goToMatch(bool forward)
{
    const int row = NumbersFind::nextMatch(m_matches, m_editor->grid()->currentIndex().row(), forward);
    if (row) goTo(row);
}

bool NumberFindBar::goToFirstFreeRow()
{
    const int row = NumbersFind::firstFreeRow(*m_model);
    if (!row) return false;
    // A free row never matches a find: the filter gives way.
    if (m_editor->grid()->isRowHidden(row)) m_only->setChecked(false);
    goTo(row);
    m_editor->grid()->setFocus(Qt::OtherFocusReason);
    return true;
}

bool NumberFindBar::eventFilter(QObject *watched, QEvent *event)
{
    // Escape leaves the field for the grid; the find stays as it is.
    if (watched == m_field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        m_editor->grid()->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zc

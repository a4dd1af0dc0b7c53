#include "ui/settings_editor.h"

#include "link/device_text.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <functional>

namespace zc {

namespace {

constexpr int kColumnWidths[SettingsModel::Columns] = {275, 201, 391};
// The pick lists' object names, by pick-list slot (items 3, 4, 8, 9, 11, 12).
const char *const kPickNames[SettingsItems::PickListCount] = {"cbb1", "cbb2",  "cbb4",
                                                              "cbb3", "cbb10", "cbb12"};
const QColor kHeaderColour(166, 202, 240);

int rowHeight(int row)
{
    if (row == 1) return 22;
    if (row == 8) return 26;
    return 24;
}

bool isFixed(const QModelIndex &index)
{
    return index.row() == 0 || index.column() == 0;
}

// Draws the header row in sky blue with centred text and the name column in the button
// colour; edits Content cells in a line edit whose every change goes through the input rules.
class GridDelegate : public QStyledItemDelegate
{
public:
    using EditHandler = std::function<void(QWidget *, int, int, const QString &)>;

    GridDelegate(EditHandler onEdit, QObject *parent)
        : QStyledItemDelegate(parent), m_onEdit(std::move(onEdit))
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        auto *edit = new QLineEdit(parent);
        edit->setFrame(false);
        const QPersistentModelIndex cell(index);
        QObject::connect(edit, &QLineEdit::textEdited, edit, [this, edit, cell](const QString &text) {
            if (cell.isValid()) m_onEdit(edit, cell.row(), cell.column(), text);
        });
        return edit;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        // The cell follows the editor on every keystroke; rewriting an unchanged text would
        // only move the cursor to the end.
        auto *edit = static_cast<QLineEdit *>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (edit->text() != text) edit->setText(text);
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->features &= ~QStyleOptionViewItem::WrapText;
        if (index.row() == 0) {
            option->backgroundBrush = kHeaderColour;
            option->displayAlignment = Qt::AlignCenter;
            option->state &= ~QStyle::State_HasFocus;
        } else if (index.column() == 0) {
            option->backgroundBrush = option->palette.button();
        }
    }

private:
    EditHandler m_onEdit;
};

// The grid itself: the fixed row and column cannot become the current cell through the
// mouse or the cursor keys, and the pick lists follow their cells whenever cells move.
class Grid : public QTableView
{
public:
    Grid(SettingsEditor *owner) : QTableView(owner), m_owner(owner) {}

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        const QModelIndex to = QTableView::moveCursor(action, modifiers);
        if (!to.isValid() || !isFixed(to)) return to;
        return model()->index(qMax(to.row(), 1), qMax(to.column(), 1));
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        const QModelIndex at = indexAt(event->position().toPoint());
        if (at.isValid() && isFixed(at)) {
            event->accept();
            return;
        }
        QTableView::mousePressEvent(event);
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        const QModelIndex at = indexAt(event->position().toPoint());
        if (at.isValid() && isFixed(at)) {
            event->accept();
            return;
        }
        QTableView::mouseMoveEvent(event);
    }

    void updateGeometries() override
    {
        QTableView::updateGeometries();
        m_owner->placePickLists();
    }

    void scrollContentsBy(int dx, int dy) override
    {
        QTableView::scrollContentsBy(dx, dy);
        m_owner->placePickLists();
    }

private:
    SettingsEditor *m_owner;
};

} // namespace

SettingsEditor::SettingsEditor(SettingsModel *model, QWidget *parent)
    : QWidget(parent), m_model(model), m_grid(new Grid(this))
{
    m_grid->setObjectName(QStringLiteral("strngrd_write"));
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(
        new GridDelegate([this](QWidget *editor, int row, int column,
                                const QString &text) { applyInputRules(editor, row, column, text); },
                         m_grid));
    // The header row and the name column are model cells, so Qt's own headers stay hidden.
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setMinimumSectionSize(1);
    m_grid->verticalHeader()->setMinimumSectionSize(1);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int c = 0; c < SettingsModel::Columns; ++c)
        m_grid->setColumnWidth(c, kColumnWidths[c]);
    for (int r = 0; r < SettingsModel::Rows; ++r)
        m_grid->setRowHeight(r, rowHeight(r));
    m_grid->setShowGrid(true);
    m_grid->setWordWrap(false);
    m_grid->setTextElideMode(Qt::ElideNone);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    // The Tab key passes over the grid: it is not a Tab stop and Tab does not move between cells.
    m_grid->setTabKeyNavigation(false);
    m_grid->setFocusPolicy(Qt::ClickFocus);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);

    for (int i = 0; i < SettingsItems::PickListCount; ++i) {
        const int item = SettingsItems::pickItems()[i];
        auto *box = new QComboBox(m_grid->viewport());
        box->setObjectName(QString::fromLatin1(kPickNames[i]));
        box->setEditable(false);
        box->addItems(SettingsModel::pickEntries(item));
        box->setCurrentIndex(m_model->pickSelection(item));
        box->installEventFilter(this);
        connect(box, &QComboBox::currentIndexChanged, this,
                [this, item](int index) { m_model->setPickSelection(item, index); });
        m_pickLists[i] = box;
    }
    connect(m_model, &SettingsModel::pickSelectionChanged, this, [this](int item) {
        if (QComboBox *box = pickList(item)) box->setCurrentIndex(m_model->pickSelection(item));
    });

    // Before any item is chosen the current cell is the Content header, so no item row is marked.
    m_grid->selectionModel()->setCurrentIndex(m_model->index(0, SettingsModel::ContentColumn),
                                              QItemSelectionModel::NoUpdate);
    placePickLists();
}

QComboBox *SettingsEditor::pickList(int item) const
{
    const int slot = SettingsItems::pickSlot(item);
    return slot < 0 ? nullptr : m_pickLists[slot];
}

int SettingsEditor::byteLimit(int item)
{
    const SettingsItems::Item *it = SettingsItems::find(item);
    return it ? it->byteLimit : 0;
}

bool SettingsEditor::digitsOnly(int item)
{
    const SettingsItems::Item *it = SettingsItems::find(item);
    return it && it->digitsOnly;
}

void SettingsEditor::placePickLists()
{
    for (int i = 0; i < SettingsItems::PickListCount; ++i) {
        if (!m_pickLists[i]) continue;
        const QRect cell =
            m_grid->visualRect(m_model->index(SettingsItems::pickItems()[i], SettingsModel::ContentColumn));
        m_pickLists[i]->setGeometry(cell);
    }
}

bool SettingsEditor::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving a pick list shows the chosen entry in its Content cell. Opening the drop-down
    // also takes the focus away, but that is not leaving the pick list.
    if (event->type() == QEvent::FocusOut) {
        const auto *focus = static_cast<QFocusEvent *>(event);
        if (focus->reason() != Qt::PopupFocusReason) {
            for (int i = 0; i < SettingsItems::PickListCount; ++i) {
                const int item = SettingsItems::pickItems()[i];
                if (watched == m_pickLists[i]) m_model->setContent(item, m_model->pickText(item));
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsEditor::applyInputRules(QWidget *editor, int row, int column, const QString &text)
{
    QAbstractItemDelegate *delegate = m_grid->itemDelegate();
    const int next = row == SettingsModel::LastItem ? row - 1 : row + 1;

    // The pick list is the only way to set a pick-list item: typing under it empties the
    // cell and moves on.
    if (SettingsModel::isPickItem(row)) {
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
        m_model->setContent(row, QString());
        moveCurrent(next, column);
        return;
    }

    QString kept = text;
    if (digitsOnly(row) && !kept.isEmpty()) {
        // Only the last character is examined; a pasted text may keep other characters.
        qsizetype last = kept.size() - 1;
        if (last > 0 && kept.at(last).isLowSurrogate() && kept.at(last - 1).isHighSurrogate()) --last;
        const QChar c = kept.at(last);
        if (c < u'0' || c > u'9') kept.truncate(last);
    }

    const int limit = byteLimit(row);
    if (limit > 0 && DeviceText::byteLength(text) >= limit) {
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
        m_model->setContent(row, DeviceText::cut(kept, limit));
        moveCurrent(next, column);
        return;
    }

    if (kept != text) static_cast<QLineEdit *>(editor)->setText(kept);
    m_model->setContent(row, kept);
}

void SettingsEditor::moveCurrent(int row, int column)
{
    m_grid->setCurrentIndex(m_model->index(row, column));
}

} // namespace zc

#include "ui/settings_editor.h"

#include "link/device_text.h"
#include "link/digits.h"
#include "settings/settings_check.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"
#include "ui/cell_frame.h"
#include "ui/cell_tips.h"
#include "ui/contrast.h"
#include "ui/on_screen_table_view.h"
#include "ui/page_undo.h"
#include "words/reporter.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace zc {

namespace {

constexpr int kColumnWidths[SettingsModel::Columns] = {275, 201, 391};
static_assert(SettingsEditor::PickColumn == SettingsModel::Columns);
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

// A pick list too narrow for its chosen entry shows the whole entry as its tooltip.
void tipIfCut(QComboBox *box)
{
    const int room = box->width() - box->height() - 8; // less the arrow button and margins
    const QString text = box->currentText();
    box->setToolTip(box->fontMetrics().horizontalAdvance(text) > room ? text : QString());
}

bool isFixed(const QModelIndex &index)
{
    return index.row() == 0 || index.column() == 0;
}

// What the grid's delegate tells its editor and asks it.
struct DelegateHooks
{
    std::function<void(QWidget *, int, int, const QString &)> edited; // every keystroke
    std::function<void(const QModelIndex &)> opened;                  // a cell editor opens
    std::function<void()> closed;                                     // ... and closes
    std::function<void()> escaped;                                    // Escape in the editor
    std::function<bool(const QModelIndex &)> changed;                 // changed since read or save
};

// Draws the header row in sky blue with centred text, the name column in the button colour
// and changed cells in bold; edits Content cells in a line edit whose every change goes
// through the input rules.
class GridDelegate : public QStyledItemDelegate
{
public:
    GridDelegate(DelegateHooks hooks, QObject *parent)
        : QStyledItemDelegate(parent), m_hooks(std::move(hooks))
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        auto *edit = new QLineEdit(parent);
        edit->setFrame(false);
        const QPersistentModelIndex cell(index);
        QObject::connect(edit, &QLineEdit::textEdited, edit, [this, edit, cell](const QString &text) {
            if (cell.isValid()) m_hooks.edited(edit, cell.row(), cell.column(), text);
        });
        m_hooks.opened(index);
        return edit;
    }

    void destroyEditor(QWidget *editor, const QModelIndex &index) const override
    {
        m_hooks.closed();
        QStyledItemDelegate::destroyEditor(editor, index);
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
    bool eventFilter(QObject *editor, QEvent *event) override
    {
        // The cell follows the editor keystroke by keystroke, so Escape puts its old text back.
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            m_hooks.escaped();
        return QStyledItemDelegate::eventFilter(editor, event);
    }

    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->features &= ~QStyleOptionViewItem::WrapText;
        if (m_hooks.changed(index)) {
            option->font.setBold(true);
            option->fontMetrics = QFontMetrics(option->font);
        }
        if (index.row() == 0) {
            option->backgroundBrush = kHeaderColour;
            option->palette = Contrast::onFixedColour(option->palette, kHeaderColour);
            option->displayAlignment = Qt::AlignCenter;
            option->state &= ~QStyle::State_HasFocus;
        } else if (index.column() == 0) {
            option->backgroundBrush = option->palette.button();
        }
    }

private:
    DelegateHooks m_hooks;
};

// The grid itself: the fixed row and column cannot become the current cell through the
// mouse or the cursor keys, and the pick lists follow their cells whenever cells move.
class Grid : public OnScreenTableView
{
public:
    Grid(SettingsEditor *owner) : OnScreenTableView(owner), m_owner(owner) {}

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        const QModelIndex to = QTableView::moveCursor(action, modifiers);
        if (!to.isValid() || !isFixed(to)) return to;
        return model()->index(qMax(to.row(), 1), qMax(to.column(), 1));
    }

    // F2 on a pick-list cell opens its pick list.
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override
    {
        if ((trigger == EditKeyPressed || trigger == AnyKeyPressed || trigger == DoubleClicked) &&
            index.flags() & Qt::ItemIsEditable && m_owner->editRefused())
            return true; // the guard said why
        if (trigger == EditKeyPressed && m_owner->openPickList(index)) return true;
        return QTableView::edit(index, trigger, event);
    }

    // A press or drag on a fixed cell selects nothing.
    void mousePressEvent(QMouseEvent *event) override
    {
        if (!onFixedCell(event)) QTableView::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!onFixedCell(event)) QTableView::mouseMoveEvent(event);
    }

    void placeOverlays(bool) override { m_owner->placePickLists(); }

private:
    bool onFixedCell(QMouseEvent *event)
    {
        const QModelIndex at = indexAt(event->position().toPoint());
        if (!at.isValid() || !isFixed(at)) return false;
        event->accept();
        return true;
    }

    SettingsEditor *m_owner;
};

} // namespace

SettingsEditor::SettingsEditor(SettingsModel *model, QWidget *parent)
    : QWidget(parent), m_model(model), m_grid(new Grid(this))
{
    m_grid->setObjectName(QStringLiteral("strngrd_write"));
    m_grid->setModel(m_model);
    m_undo = new PageUndo(undoTable(m_model), this);
    DelegateHooks hooks;
    hooks.edited = [this](QWidget *editor, int row, int column, const QString &text) {
        applyInputRules(editor, row, column, text);
    };
    hooks.opened = [this](const QModelIndex &cell) {
        m_editCell = cell;
        m_editOriginal = cell.data(Qt::EditRole).toString();
        m_undo->editStarted(cell.row(), cell.column());
    };
    hooks.closed = [this] {
        if (m_editCell.isValid()) checkEdit(m_editCell.row());
        m_editCell = QPersistentModelIndex();
        m_undo->editEnded();
    };
    hooks.escaped = [this] {
        if (m_editCell.isValid()) m_model->setText(m_editCell.row(), m_editCell.column(), m_editOriginal);
    };
    hooks.changed = [this](const QModelIndex &cell) { return m_undo->isChanged(cell.row(), cell.column()); };
    m_grid->setItemDelegate(new GridDelegate(std::move(hooks), m_grid));
    WholeTextTips::install(m_grid);
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
    // Tab skips the grid (it takes the focus by a click), and moves on rather than between
    // cells when the grid has it.
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
        m_undo->cellsChanged(item, PickColumn, item, PickColumn);
    });
    connect(m_model, &QAbstractItemModel::dataChanged, m_undo,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                m_undo->cellsChanged(topLeft.row(), topLeft.column(), bottomRight.row(),
                                     bottomRight.column());
            });
    connect(m_model, &QAbstractItemModel::modelReset, m_undo, &PageUndo::allChanged);
    connect(m_undo, &PageUndo::marksChanged, this, &SettingsEditor::showMarks);
    connect(m_undo, &PageUndo::restored, this, [this](int row, int column) {
        m_grid->scrollTo(m_model->index(row, qMin(column, int(SettingsModel::ContentColumn))));
    });
    m_frame = new CurrentCellFrame(m_grid);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &SettingsEditor::placeFrame);

    // Before any item is chosen the current cell is the Content header, so no item row is marked.
    m_grid->selectionModel()->setCurrentIndex(m_model->index(0, SettingsModel::ContentColumn),
                                              QItemSelectionModel::NoUpdate);
    placePickLists();
}

SettingsEditor::~SettingsEditor()
{
    // The grid goes first, while this editor still answers what its cell editor tells it.
    QTableView *grid = m_grid;
    m_grid = nullptr;
    delete grid;
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
    if (!m_grid) return;
    for (int i = 0; i < SettingsItems::PickListCount; ++i) {
        if (!m_pickLists[i]) continue;
        const QRect cell =
            m_grid->visualRect(m_model->index(SettingsItems::pickItems()[i], SettingsModel::ContentColumn));
        m_pickLists[i]->setGeometry(cell);
        tipPickList(i);
    }
    placeFrame();
}

void SettingsEditor::placeFrame()
{
    if (!m_frame || !m_grid) return;
    const QModelIndex current = m_grid->currentIndex();
    m_frame->follow(current, current.column() == SettingsModel::ContentColumn && pickList(current.row()));
}

bool SettingsEditor::openPickList(const QModelIndex &cell)
{
    QComboBox *box = cell.column() == SettingsModel::ContentColumn ? pickList(cell.row()) : nullptr;
    if (!box) return false;
    box->setFocus(Qt::OtherFocusReason);
    box->showPopup();
    return true;
}

void SettingsEditor::showMarks()
{
    // Runs for every changed cell (a read changes dozens): a font is set, and a text
    // measured, only when it changed.
    for (int i = 0; i < SettingsItems::PickListCount; ++i) {
        if (!m_pickLists[i]) continue;
        const bool bold = m_undo->isChanged(SettingsItems::pickItems()[i], PickColumn);
        if (m_pickLists[i]->font().bold() != bold) {
            QFont f = m_pickLists[i]->font();
            f.setBold(bold);
            m_pickLists[i]->setFont(f);
        }
        tipPickList(i);
    }
    if (m_grid) m_grid->viewport()->update();
}

void SettingsEditor::tipPickList(int i)
{
    QComboBox *box = m_pickLists[i];
    Measured now{box->currentText(), box->width() - box->height(), box->font().bold()};
    if (now == m_measured[i]) return;
    m_measured[i] = std::move(now);
    tipIfCut(box);
}

PageUndo::Table SettingsEditor::undoTable(SettingsModel *model)
{
    PageUndo::Table t;
    t.rows = SettingsModel::Rows;
    t.columns = PickColumn + 1;
    t.text = [model](int row, int column) {
        // A pick item's value is its selection (the last column). The entry its pick list
        // writes into the Content cell when it is left only shows that selection: looking
        // through the pick lists changes nothing.
        if (column == SettingsModel::ContentColumn && SettingsModel::isPickItem(row)) return QString();
        if (column < SettingsModel::Columns) return model->text(row, column);
        return SettingsModel::isPickItem(row) ? QString::number(model->pickSelection(row)) : QString();
    };
    t.setText = [model](int row, int column, const QString &text) {
        if (column < SettingsModel::Columns)
            model->setText(row, column, text);
        else if (SettingsModel::isPickItem(row))
            model->setPickSelection(row, text.toInt());
    };
    return t;
}

bool SettingsEditor::eventFilter(QObject *watched, QEvent *event)
{
    // While the page's transfer runs a pick list keeps its choice.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        if (std::find(m_pickLists.cbegin(), m_pickLists.cend(), watched) != m_pickLists.cend() &&
            editRefused())
            return true;
        break;
    default:
        break;
    }
    // Leaving a pick list shows the chosen entry in its Content cell. Opening the drop-down
    // also takes the focus away, but that is not leaving the pick list.
    if (event->type() == QEvent::FocusOut) {
        const auto *focus = static_cast<QFocusEvent *>(event);
        if (focus->reason() != Qt::PopupFocusReason) {
            for (int i = 0; i < SettingsItems::PickListCount; ++i) {
                const int item = SettingsItems::pickItems()[i];
                // The entry shown in the cell belongs to the choice just made: one undo step.
                if (watched == m_pickLists[i])
                    m_undo->joinLast([this, item] { m_model->setContent(item, m_model->pickText(item)); });
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsEditor::applyInputRules(QWidget *editor, int row, int column, const QString &text)
{
    QAbstractItemDelegate *delegate = m_grid->itemDelegate();
    // An editor left open when a transfer started keeps showing what the cell holds.
    if (editRefused()) {
        static_cast<QLineEdit *>(editor)->setText(m_model->text(row, column));
        return;
    }
    const int next = row == SettingsModel::LastItem ? row - 1 : row + 1;

    // The pick list is the only way to set a pick-list item: typing under it empties the
    // cell and moves on.
    if (SettingsModel::isPickItem(row)) {
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
        m_model->setContent(row, QString());
        moveCurrent(next, column);
        return;
    }

    const int limit = byteLimit(row);
    // A number with a country code goes by the one check while it is typed: its "+" stays,
    // and any other character is refused with the reason; the cell keeps what it held.
    if (SettingsCheck::takesCountryCode(row) && DeviceText::byteLength(text) <= limit) {
        if (const SettingsCheck::Stored stored = SettingsCheck::store(row, text); !stored.ok()) {
            const QString before = m_model->content(row);
            static_cast<QLineEdit *>(editor)->setText(before);
            emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
            tellRefused(row, stored.refusal);
            return;
        }
    }

    QString kept = text;
    if (digitsOnly(row) && !SettingsCheck::takesCountryCode(row) && !kept.isEmpty()) {
        // Only the last character is examined; a pasted text may keep other characters.
        qsizetype last = kept.size() - 1;
        if (last > 0 && kept.at(last).isLowSurrogate() && kept.at(last - 1).isHighSurrogate()) --last;
        const QChar c = kept.at(last);
        if (!isDigit(c.unicode())) kept.truncate(last);
    }

    // A digit item or number longer than its field is another value cut: it is refused whole.
    const SettingsItems::Item *it = SettingsItems::find(row);
    const bool numeric =
        it && (it->kind == SettingsItems::Kind::Digits || it->kind == SettingsItems::Kind::Number);
    if (numeric && limit > 0 && DeviceText::byteLength(text) > limit) {
        m_model->setContent(row, text);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint); // checkEdit refuses it
        return;
    }
    if (limit > 0 && DeviceText::byteLength(text) >= limit) {
        // The cell holds its text before the editor closes, so the close checks what it holds.
        m_model->setContent(row, DeviceText::cut(kept, limit));
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
        moveCurrent(next, column);
        return;
    }

    if (kept != text) static_cast<QLineEdit *>(editor)->setText(kept);
    m_model->setContent(row, kept);
}

void SettingsEditor::checkEdit(int item)
{
    const QString text = m_model->content(item);
    const SettingsCheck::Stored stored = SettingsCheck::store(item, text, SettingsCheck::Cut::Allow);
    if (stored.ok()) return;
    const SettingsItems::Item *it = SettingsItems::find(item);
    const bool lettersInNumber = it && it->kind == SettingsItems::Kind::Number &&
                                 DeviceText::byteLength(text) <= byteLimit(item) &&
                                 stored.refusal.endsWith(QLatin1String(" is not a valid integer value"));
    if (!lettersInNumber) refuseEdit(item, stored.refusal);
}

void SettingsEditor::refuseEdit(int item, const QString &reason)
{
    m_model->setContent(item, m_editOriginal);
    tellRefused(item, reason);
}

void SettingsEditor::tellRefused(int item, const QString &reason)
{
    // Shown once the editor has closed: a box inside the close would take the focus from it.
    QMetaObject::invokeMethod(
        this,
        [this, item, reason] {
            showItem(item);
            if (m_reporter) m_reporter->messageBox(QStringLiteral("The cell keeps its text: ") + reason);
        },
        Qt::QueuedConnection);
}

void SettingsEditor::showItem(int item)
{
    const QModelIndex cell = m_model->index(item, SettingsModel::ContentColumn);
    m_grid->setCurrentIndex(cell);
    m_grid->scrollTo(cell);
}

void SettingsEditor::moveCurrent(int row, int column)
{
    m_grid->setCurrentIndex(m_model->index(row, column));
}

} // namespace zc

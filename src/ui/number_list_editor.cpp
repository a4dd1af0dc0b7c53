#include "ui/number_list_editor.h"

#include "link/digits.h"
#include "numbers/number_cells.h"
#include "numbers/number_check.h"
#include "numbers/number_save_checks.h"
#include "numbers/numbers_model.h"
#include "numbers/numbers_paste.h"
#include "ui/cell_frame.h"
#include "ui/cell_tips.h"
#include "ui/contrast.h"
#include "ui/on_screen_table_view.h"
#include "ui/page_undo.h"
#include "words/reporter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <utility>

namespace zc {

namespace {

constexpr int kColumnWidths[NumbersModel::Columns] = {45, 145, 83, 91, 89, 86, 78, 76};
constexpr int kRowHeight = 24;
constexpr int kWheelStep = 120; // angle delta of one wheel notch
const char *const kPickerNames[4] = {"dtp_startdate", "dtp_starttime", "dtp_enddate", "dtp_endtime"};
// Dates in the form a read from the unit gives them, so the table holds one form.
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kTimeFormat = QStringLiteral("HH:mm");
// The unit keeps the year as its last two digits after 2000.
const QDate kFirstDate(2000, 1, 1);
const QDate kLastDate(2099, 12, 31);

// The date a date cell stands for as its picker shows it; invalid when it reads as none.
QDate cellDate(const QString &text)
{
    const auto d = NumberCells::readDate(text);
    if (!d || !isDigits(QStringView(text).left(4))) return {};
    const QDate date(QStringView(text).left(4).toInt(), d->month, d->day);
    return date.isValid() && date >= kFirstDate && date <= kLastDate ? date : QDate();
}

// The time a time cell stands for, to the minute; invalid when it reads as none.
QTime cellTime(const QString &text)
{
    const auto t = NumberCells::readTime(text);
    return t ? QTime(t->hour, t->minute) : QTime();
}

bool isCheckCell(const QModelIndex &index)
{
    return index.row() >= NumbersModel::FirstEntry &&
           (index.column() == NumberColumn::Always || index.column() == NumberColumn::Delete);
}

// The header row and the Serial column of the table, drawn as the grid's fixed headers so
// that they stay in view while the entries scroll.
class FixedHeader : public QHeaderView
{
public:
    FixedHeader(Qt::Orientation orientation, const NumbersModel *model, QWidget *parent)
        : QHeaderView(orientation, parent), m_model(model)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setMinimumSectionSize(1);
        // A press or drag over the Serial column selects whole rows.
        setSectionsClickable(orientation == Qt::Vertical);
        setHighlightSections(false);
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        if (!rect.isValid()) return;
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = rect;
        option.section = logicalIndex;
        option.text = orientation() == Qt::Horizontal ? m_model->text(0, logicalIndex)
                                                      : m_model->text(logicalIndex, NumberColumn::Serial);
        option.textAlignment = Qt::AlignCenter;
        option.position = QStyleOptionHeader::Middle;
        style()->drawControl(QStyle::CE_Header, &option, painter, this);
    }

private:
    const NumbersModel *m_model;
};

class Grid : public OnScreenTableView
{
public:
    explicit Grid(NumberListEditor *owner) : OnScreenTableView(owner), m_owner(owner) {}

protected:
    // The header row and the Serial column never become the current cell.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        const QModelIndex to = QTableView::moveCursor(action, modifiers);
        if (!to.isValid()) return to;
        return model()->index(qMax(to.row(), int(NumbersModel::FirstEntry)),
                              qMax(to.column(), int(NumberColumn::Number)));
    }

    // F2 or typing on a date or time cell goes to the picker lying over it.
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override
    {
        if (trigger == EditKeyPressed || trigger == AnyKeyPressed || trigger == DoubleClicked) {
            if (index.flags() & Qt::ItemIsEditable || m_owner->picker(index.column())) {
                if (m_owner->editRefused()) return true; // the guard said why
            }
        }
        QDateTimeEdit *picker = m_owner->picker(index.column());
        // A picker put away by Enter or Escape comes back for the next edit of its cell.
        if (picker && index == currentIndex() &&
            (trigger == EditKeyPressed || trigger == AnyKeyPressed || trigger == DoubleClicked))
            m_owner->recallPicker();
        if (picker && picker->isVisible() && index == currentIndex() &&
            (trigger == EditKeyPressed || trigger == AnyKeyPressed)) {
            picker->setFocus(Qt::OtherFocusReason);
            if (trigger == AnyKeyPressed && event) QCoreApplication::sendEvent(picker, event);
            return true;
        }
        return QTableView::edit(index, trigger, event);
    }

    // Space on an Always or Delete cell toggles it as a click does.
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Space && isCheckCell(currentIndex())) {
            emit clicked(currentIndex());
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
            m_owner->deleteSelection();
        } else if (event->matches(QKeySequence::Copy)) {
            m_owner->copySelection();
        } else if (event->matches(QKeySequence::Paste)) {
            m_owner->paste();
        } else {
            QTableView::keyPressEvent(event);
            return;
        }
        event->accept();
    }

    void placeOverlays(bool scrolled) override
    {
        // A picker whose cell scrolled away gives its value to the cell first.
        if (scrolled) m_owner->leavePicker();
        m_owner->placePicker();
    }

private:
    NumberListEditor *m_owner;
};

} // namespace

QBrush NumberListDelegate::background(const QModelIndex &index) const
{
    const auto *model = qobject_cast<const NumbersModel *>(index.model());
    if (!model || index.row() < NumbersModel::FirstEntry) return {};
    if (model->isDoubtful(index.row(), index.column())) return warningColour();
    if (m_found && std::size_t(index.row()) < m_found->size() && (*m_found)[std::size_t(index.row())])
        return foundColour();
    if (NumberSaveChecks::windowEnded(model->row(index.row()), now())) {
        const auto *view = qobject_cast<const QWidget *>(parent());
        return endedColour(view ? view->palette() : QPalette());
    }
    return {};
}

QColor NumberListDelegate::endedColour(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base), text = palette.color(QPalette::Text);
    const auto mix = [](int b, int t) { return (b * 88 + t * 12) / 100; };
    return QColor(mix(base.red(), text.red()), mix(base.green(), text.green()),
                  mix(base.blue(), text.blue()));
}

QString NumberListDelegate::note(const QModelIndex &index) const
{
    const auto *model = qobject_cast<const NumbersModel *>(index.model());
    if (!model || index.row() < NumbersModel::FirstEntry) return {};
    const NumberRow row = model->row(index.row());
    if (!NumberSaveChecks::windowEnded(row, now())) return {};
    return QStringLiteral("Grey: this row's window ended on %1 %2, so the unit no longer lets %3 in.\n"
                          "Give it a new end, tick Always, or tick Delete.")
        .arg(row[NumberColumn::EndDate], row[NumberColumn::EndTime], row[NumberColumn::Number]);
}

void NumberListDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                      const QModelIndex &index) const
{
    const QByteArray property = editor->metaObject()->userProperty().name();
    const QString text = editor->property(property).toString();
    if (const QString why = NumberCheck::cellRefusal(index.column(), text); !why.isEmpty()) {
        if (m_refused) m_refused(QStringLiteral("Row %1 keeps its number: %2").arg(index.row()).arg(why));
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

QDateTime NumberListDelegate::now() const
{
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    if (m_nowRead < 0 || clock.elapsed() - m_nowRead >= 1000) {
        m_now = QDateTime::currentDateTime();
        m_nowRead = clock.elapsed();
    }
    return m_now;
}

bool NumberListDelegate::changed(const QModelIndex &index) const
{
    return m_undo && m_undo->isChanged(index.row(), index.column());
}

void NumberListDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = Qt::AlignCenter;
    option->features &= ~QStyleOptionViewItem::WrapText;
    if (const QBrush b = background(index); b.style() != Qt::NoBrush) {
        option->backgroundBrush = b;
        option->palette = Contrast::onFixedColour(option->palette, b.color());
    }
    if (changed(index)) {
        option->font.setBold(true);
        option->fontMetrics = QFontMetrics(option->font);
    }
}

void NumberListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    if (!isCheckCell(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // A ticked box for exactly "yes", an empty one for any other text.
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    // Selected rows show selected across their check cells too. The box is the style's
    // indicator in the cell's colours: on a fixed colour it takes text that reads there.
    const QBrush b = background(index);
    const QColor fill = (option.state & QStyle::State_Selected) ? option.palette.color(QPalette::Highlight)
                        : b.style() != Qt::NoBrush              ? b.color()
                                                                : option.palette.color(QPalette::Base);
    painter->fillRect(option.rect, fill);
    QStyleOptionButton box;
    box.palette =
        b.style() != Qt::NoBrush ? Contrast::onFixedColour(option.palette, b.color()) : option.palette;
    box.state = QStyle::State_Enabled |
                (index.data().toString() == CheckCell::kYes ? QStyle::State_On : QStyle::State_Off);
    const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, option.widget);
    const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, option.widget);
    const QRect &r = option.rect;
    box.rect = QRect(r.left() + (r.width() - w) / 2, r.top() + (r.height() - h) / 2, w, h);
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, option.widget);
    Contrast::frameIndicatorOnDark(*painter, box.rect, box.palette, fill);
    if (changed(index)) {
        // A check box has no text to make bold: a corner mark shows the change.
        const QPointF c = r.topLeft();
        const QPointF corner[3] = {c, c + QPointF(7, 0), c + QPointF(0, 7)};
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(option.palette.text());
        painter->drawPolygon(corner, 3);
        painter->restore();
    }
}

NumberListEditor::NumberListEditor(NumbersModel *model, QWidget *parent) : QWidget(parent), m_model(model)
{
    m_grid = new Grid(this);
    m_grid->setObjectName(QStringLiteral("strngrd3"));
    m_grid->setHorizontalHeader(new FixedHeader(Qt::Horizontal, m_model, m_grid));
    m_grid->setVerticalHeader(new FixedHeader(Qt::Vertical, m_model, m_grid));
    m_grid->setModel(m_model);
    m_delegate = new NumberListDelegate(m_grid);
    // Shown once the editor has closed: a box inside the commit would take the focus from it.
    m_delegate->setRefused([this](const QString &why) {
        QMetaObject::invokeMethod(
            this,
            [this, why] {
                if (m_reporter) m_reporter->messageBox(why);
            },
            Qt::QueuedConnection);
    });
    m_grid->setItemDelegate(m_delegate);
    WholeTextTips::install(m_grid, [this](const QModelIndex &index) { return m_delegate->note(index); });
    PageUndo::Table table;
    table.rows = NumbersModel::Rows;
    table.columns = NumbersModel::Columns;
    table.text = [model](int row, int column) { return model->text(row, column); };
    table.setText = [model](int row, int column, const QString &text) { model->setText(row, column, text); };
    m_undo = new PageUndo(std::move(table), this);
    m_delegate->setUndo(m_undo);
    connect(m_model, &QAbstractItemModel::dataChanged, m_undo,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                m_marksFollowCells = true;
                m_undo->cellsChanged(topLeft.row(), topLeft.column(), bottomRight.row(),
                                     bottomRight.column());
                m_marksFollowCells = false;
            });
    connect(m_model, &QAbstractItemModel::modelReset, m_undo, &PageUndo::allChanged);
    // Marks that changed with their cells are repainted with them, and only when on screen
    // (a read marks every page it writes); any other change of marks repaints the grid.
    connect(m_undo, &PageUndo::marksChanged, this, [this] {
        if (!m_marksFollowCells) m_grid->viewport()->update();
    });
    connect(m_undo, &PageUndo::restored, this,
            [this](int row, int column) { m_grid->scrollTo(m_model->index(row, column)); });
    m_frame = new CurrentCellFrame(m_grid);
    m_grid->horizontalHeader()->setFixedHeight(kRowHeight);
    m_grid->verticalHeader()->setFixedWidth(kColumnWidths[NumberColumn::Serial]);
    m_grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_grid->setShowGrid(true);
    m_grid->setWordWrap(false);
    m_grid->setTextElideMode(Qt::ElideNone);
    // Cells are selected as blocks and whole rows over the Serial column, with Shift and Ctrl.
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_grid->verticalScrollBar()->setTracking(true);
    m_grid->setTabKeyNavigation(true);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);

    // The corner above the Serial column carries that column's header text.
    // A click on it selects nothing.
    m_grid->setCornerButtonEnabled(false);
    if (auto *corner = m_grid->findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly))
        corner->installEventFilter(this);
    for (QWidget *w :
         {m_grid->viewport(), m_grid->horizontalHeader()->viewport(), m_grid->verticalHeader()->viewport()})
        w->installEventFilter(this);
    m_grid->installEventFilter(this); // the grid taking the focus shows its picker again

    for (int i = 0; i < 4; ++i) {
        const int column = NumberColumn::StartDate + i;
        QDateTimeEdit *p = nullptr;
        if (NumberEntry::isDateColumn(column)) {
            auto *d = new QDateEdit(m_grid->viewport());
            d->setDisplayFormat(kDateFormat);
            d->setDateRange(kFirstDate, kLastDate);
            d->setCalendarPopup(true);
            // With spin buttons, Qt 6.4 takes a click on the text of a calendar-popup date
            // edit for the down button and steps the date back; the keys still step it.
            d->setButtonSymbols(QAbstractSpinBox::NoButtons);
            p = d;
        } else {
            auto *t = new QTimeEdit(m_grid->viewport());
            t->setDisplayFormat(kTimeFormat);
            p = t;
        }
        p->setObjectName(QString::fromLatin1(kPickerNames[i]));
        connect(p, &QDateTimeEdit::dateTimeChanged, this, [this] { m_pickerTouched |= m_editing; });
        if (QCalendarWidget *calendar = p->calendarWidget())
            connect(calendar, &QCalendarWidget::clicked, this, [this] { m_pickerTouched |= m_editing; });
        p->setFrame(false);
        p->hide();
        p->installEventFilter(this);
        m_pickers[i] = p;
    }
    m_pickerPalette = m_pickers[0]->palette();
    const QDateTime now = QDateTime::currentDateTime();
    m_pickers[0]->setDate(QDate(2015, 3, 6));
    m_pickers[1]->setTime(QTime(0, 0));
    m_pickers[2]->setDate(now.date());
    m_pickers[3]->setTime(now.time());
    // A date chosen in the start-date picker goes into its cell at once, not only on leaving.
    connect(m_pickers[0], &QDateTimeEdit::dateChanged, this, [this] {
        if (m_editing) writeBack(NumberColumn::StartDate);
    });

    auto layOut = [this] {
        for (int c = 0; c < NumbersModel::Columns; ++c)
            m_grid->setColumnWidth(c, kColumnWidths[c]);
        m_grid->setRowHidden(0, true);
        m_grid->setColumnHidden(NumberColumn::Serial, true);
        // Until the user picks a cell the current cell is in the header row, so no entry shows selected.
        m_grid->selectionModel()->setCurrentIndex(m_model->index(0, NumberColumn::Number),
                                                  QItemSelectionModel::NoUpdate);
        updatePickers();
    };
    layOut();
    connect(m_model, &QAbstractItemModel::modelReset, this, layOut);
    // A changed current cell, or the Always cell of its row, reloads or hides the picker.
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                const int row = m_grid->currentIndex().row();
                if (row >= topLeft.row() && row <= bottomRight.row()) updatePickers();
            });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &NumberListEditor::updatePickers);
    connect(m_grid, &QAbstractItemView::clicked, this, &NumberListEditor::cellClicked);
}

NumberListEditor::~NumberListEditor()
{
    // The grid and its pickers go first, while this editor still answers their events.
    QTableView *grid = m_grid;
    m_grid = nullptr;
    delete grid;
}

QDateTimeEdit *NumberListEditor::picker(int column) const
{
    const int i = column - NumberColumn::StartDate;
    return i >= 0 && i < int(m_pickers.size()) ? m_pickers[i] : nullptr;
}

void NumberListEditor::updatePickers()
{
    if (!m_grid || !m_pickers.back()) return;
    const QModelIndex current = m_grid->currentIndex();
    if (m_putAway.isValid() && QPersistentModelIndex(current) != m_putAway)
        m_putAway = QPersistentModelIndex();
    QDateTimeEdit *shown = nullptr;
    if (current.isValid() && current.row() >= NumbersModel::FirstEntry &&
        m_model->text(current.row(), NumberColumn::Always) == CheckCell::kNo && !m_putAway.isValid())
        shown = picker(current.column());
    // A picker still being edited over another cell gives its value to that cell first.
    if (m_editing && (!shown || QPersistentModelIndex(current) != m_pickerCell)) commitPicker();
    for (QDateTimeEdit *p : m_pickers)
        if (p != shown) p->hide();
    if (!shown) {
        m_pickerCell = QPersistentModelIndex();
        placePicker();
        return;
    }
    const QString text = m_model->text(current.row(), current.column());
    if (!m_editing) showMuted(shown, !loadPicker(shown, current.column(), text));
    m_pickerCell = current;
    placePicker();
    shown->raise();
    shown->show();
}

void NumberListEditor::putPickerAway()
{
    if (!m_pickerCell.isValid()) return;
    m_putAway = m_pickerCell;
    updatePickers();
}

void NumberListEditor::recallPicker()
{
    if (!m_putAway.isValid()) return;
    m_putAway = QPersistentModelIndex();
    updatePickers();
}

void NumberListEditor::placePicker()
{
    if (!m_grid) return;
    QDateTimeEdit *p = m_pickerCell.isValid() ? picker(m_pickerCell.column()) : nullptr;
    if (p) {
        // The picker shows its whole value: where the cell is narrower it reaches over the
        // next cell while it is up.
        QRect r = m_grid->visualRect(m_pickerCell);
        QStyleOptionComboBox field;
        field.initFrom(p);
        field.rect = r;
        field.frame = false;
        field.editable = true;
        field.subControls = QStyle::SC_ComboBoxEditField;
        const int editWidth = p->calendarPopup() ? p->style()
                                                       ->subControlRect(QStyle::CC_ComboBox, &field,
                                                                        QStyle::SC_ComboBoxEditField, p)
                                                       .width()
                                                 : r.width();
        // The text, its line's margins and a little air.
        const int need = p->fontMetrics().horizontalAdvance(p->text()) + 8;
        if (need > editWidth) r.setWidth(r.width() + need - editWidth);
        p->setGeometry(r);
    }
    if (m_frame) m_frame->follow(m_pickerCell, p != nullptr);
}

bool NumberListEditor::loadPicker(QDateTimeEdit *picker, int column, const QString &text)
{
    // A cell that does not read as a date or time in range leaves the picker's last value.
    const QSignalBlocker block(picker);
    if (NumberEntry::isDateColumn(column)) {
        const QDate date = cellDate(text);
        if (!date.isValid()) return false;
        picker->setDate(date);
        return true;
    }
    const QTime time = cellTime(text);
    if (!time.isValid()) return false;
    picker->setTime(time);
    return true;
}

void NumberListEditor::showMuted(QDateTimeEdit *picker, bool muted)
{
    QPalette palette = m_pickerPalette;
    if (muted) palette.setColor(QPalette::Text, m_pickerPalette.color(QPalette::PlaceholderText));
    picker->setPalette(palette);
}

void NumberListEditor::writeBack(int column)
{
    if (!m_pickerCell.isValid() || m_pickerCell.column() != column) return;
    QDateTimeEdit *p = picker(column);
    const QString text =
        NumberEntry::isDateColumn(column) ? p->date().toString(kDateFormat) : p->time().toString(kTimeFormat);
    const QString held = m_model->text(m_pickerCell.row(), column);
    // The cell already holds this value, perhaps in another form: nothing changes.
    const QTime shown(p->time().hour(), p->time().minute());
    if (held == text ||
        (NumberEntry::isDateColumn(column) ? cellDate(held) == p->date() : cellTime(held) == shown))
        return;
    if (editRefused()) {
        // The cell keeps its text, and the picker shows it again.
        if (!loadPicker(p, column, held)) {
            const QSignalBlocker block(p);
            p->setDateTime(m_pickerValueBefore);
            showMuted(p, true);
        }
        return;
    }
    m_model->setText(m_pickerCell.row(), column, text);
}

bool NumberListEditor::typeDate(QDateTimeEdit *picker, const QKeyEvent *key)
{
    if (!NumberEntry::isDateColumn(m_pickerCell.column())) return false;
    const QString text = key->text();
    const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (key->key() == Qt::Key_Backspace && !m_typedDate.isEmpty()) {
        m_typedDate.chop(1);
    } else if (plain && text.size() == 1 &&
               (isDigit(text.at(0).unicode()) || QStringView(u"./-").contains(text.at(0)))) {
        if (!m_editing) beginPickerEdit(picker);
        if (m_typedDate.size() < 10) m_typedDate += text;
    } else {
        // Any other key while a date is typed is taken too, so the sections never mix in.
        return !m_typedDate.isEmpty() && key->key() != Qt::Key_Shift;
    }
    if (auto *line = picker->findChild<QLineEdit *>()) line->setText(m_typedDate);
    return true;
}

void NumberListEditor::commitTypedDate(QDateTimeEdit *p)
{
    const QString typed = std::exchange(m_typedDate, QString());
    const int column = m_pickerCell.column();
    const std::optional<QString> date = NumberCheck::typedDate(typed);
    if (date && !editRefused()) {
        // The date the cell holds already, perhaps in another form, is no change.
        if (cellDate(m_model->text(m_pickerCell.row(), column)) != cellDate(*date))
            m_model->setText(m_pickerCell.row(), column, *date);
        loadPicker(p, column, *date);
        return;
    }
    {
        // The picker shows its date again, not the typed text.
        const QSignalBlocker block(p);
        p->setDateTime(p->dateTime());
    }
    if (!date && m_reporter)
        m_reporter->messageBox(
            QStringLiteral(
                "%1 \"%2\" is no date the unit keeps (a day from 2000 to 2099, typed like 2024/05/06, "
                "20240506, 2024-05-06 or 06.05.2024). The cell keeps its date.")
                .arg(NumberColumn::name(column), typed));
}

void NumberListEditor::beginPickerEdit(QDateTimeEdit *picker)
{
    m_editing = true;
    m_typedDate.clear();
    m_pickerOriginal = m_model->text(m_pickerCell.row(), m_pickerCell.column());
    m_pickerValueBefore = picker->dateTime();
    m_pickerTouched = false;
    showMuted(picker, false);
    // The picker's changes to its cell make one undo step.
    m_undo->editStarted(m_pickerCell.row(), m_pickerCell.column());
}

void NumberListEditor::commitPicker()
{
    if (!m_editing) return;
    m_editing = false;
    if (QDateTimeEdit *p = m_pickerCell.isValid() ? picker(m_pickerCell.column()) : nullptr;
        p && !m_typedDate.isEmpty()) {
        commitTypedDate(p);
    } else if (p) {
        // Digits typed into a section the picker has not taken yet count too.
        p->interpretText();
        // A picker left as it was changes nothing: over an empty cell it only offered its last value.
        if (m_pickerTouched || p->dateTime() != m_pickerValueBefore) writeBack(m_pickerCell.column());
    }
    m_undo->editEnded();
}

void NumberListEditor::revertPicker()
{
    if (!m_editing) return;
    m_editing = false;
    m_typedDate.clear();
    if (m_pickerCell.isValid()) {
        if (!editRefused()) m_model->setText(m_pickerCell.row(), m_pickerCell.column(), m_pickerOriginal);
        QDateTimeEdit *p = picker(m_pickerCell.column());
        {
            const QSignalBlocker block(p);
            p->setDateTime(m_pickerValueBefore);
        }
        showMuted(p, !loadPicker(p, m_pickerCell.column(),
                                 m_model->text(m_pickerCell.row(), m_pickerCell.column())));
    }
    m_undo->editEnded();
}

void NumberListEditor::leavePicker()
{
    if (!m_editing) return;
    commitPicker();
    if (m_grid) m_grid->setFocus(Qt::OtherFocusReason);
}

void NumberListEditor::stepCurrent(bool forward)
{
    const QModelIndex at = m_grid->currentIndex();
    int row = qMax(at.row(), int(NumbersModel::FirstEntry));
    int column = at.column() + (forward ? 1 : -1);
    if (column > NumberColumn::Delete || column < NumberColumn::Number) {
        column = forward ? int(NumberColumn::Number) : int(NumberColumn::Delete);
        do
            row += forward ? 1 : -1;
        while (row >= NumbersModel::FirstEntry && row <= NumbersModel::LastEntry && m_grid->isRowHidden(row));
        if (row < NumbersModel::FirstEntry || row > NumbersModel::LastEntry) return;
    }
    const QModelIndex to = m_model->index(row, column);
    m_grid->selectionModel()->setCurrentIndex(to, QItemSelectionModel::ClearAndSelect);
    m_grid->scrollTo(to);
}

void NumberListEditor::cellClicked(const QModelIndex &index)
{
    if (QPersistentModelIndex(index) == m_putAway) recallPicker();
    // Ctrl and Shift clicks extend the selection; only a plain click toggles a check cell.
    if (!isCheckCell(index) ||
        (QApplication::keyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier)))
        return;
    if (editRefused()) return;
    m_model->toggleCheck(index.row(), index.column());
}

QList<int> NumberListEditor::selectedRows() const
{
    QList<int> rows;
    const QItemSelectionModel *selection = m_grid->selectionModel();
    if (!selection->hasSelection()) return rows;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
        if (!m_grid->isRowHidden(r) && selection->isRowSelected(r)) rows << r;
    return rows;
}

void NumberListEditor::deleteSelection()
{
    if (editRefused()) return;
    commitPicker();
    using namespace NumberColumn;
    QList<int> rows = selectedRows();
    const bool wholeRows = !rows.isEmpty();
    std::vector<std::pair<int, int>> cells; // (row, column)
    if (wholeRows) {
        for (int r : rows)
            for (int c = Number; c <= Always; ++c)
                cells.emplace_back(r, c);
    } else {
        for (const QModelIndex &i : m_grid->selectionModel()->selectedIndexes())
            if (i.row() >= NumbersModel::FirstEntry && !m_grid->isRowHidden(i.row()) &&
                i.column() >= Number && i.column() <= EndTime)
                cells.emplace_back(i.row(), i.column());
    }
    if (cells.empty()) return;
    int top = NumbersModel::LastEntry, bottom = 0, left = Delete, right = Number;
    for (const auto &[r, c] : cells) {
        top = qMin(top, r);
        bottom = qMax(bottom, r);
        left = qMin(left, c);
        right = qMax(right, c);
    }
    // One change over the block: cells outside the selection are written as they are, so
    // the whole deletion is one undo step.
    QList<NumberRow> block;
    block.reserve(bottom - top + 1);
    for (int r = top; r <= bottom; ++r)
        block << m_model->row(r);
    for (const auto &[r, c] : cells)
        block[r - top][c] = c == Always ? CheckCell::kNo : QString();
    m_model->setRows(top, block, left, right);
}

void NumberListEditor::copySelection()
{
    commitPicker();
    QList<int> rows = selectedRows();
    QString text;
    if (!rows.isEmpty()) {
        text = NumbersPaste::copyText(*m_model, rows);
    } else {
        QModelIndexList cells = m_grid->selectionModel()->selectedIndexes();
        if (cells.isEmpty() && m_grid->currentIndex().row() >= NumbersModel::FirstEntry)
            cells << m_grid->currentIndex();
        if (cells.isEmpty()) return;
        int top = NumbersModel::LastEntry, bottom = 0, left = NumberColumn::Delete, right = 0;
        for (const QModelIndex &i : cells) {
            top = qMin(top, i.row());
            bottom = qMax(bottom, i.row());
            left = qMin(left, i.column());
            right = qMax(right, i.column());
        }
        for (int r = qMax(top, int(NumbersModel::FirstEntry)); r <= bottom; ++r)
            if (!m_grid->isRowHidden(r)) rows << r;
        text = NumbersPaste::copyText(*m_model, rows, left, right);
    }
    QGuiApplication::clipboard()->setText(text);
}

bool NumberListEditor::paste()
{
    if (editRefused()) return false;
    commitPicker();
    const QModelIndex at = m_grid->currentIndex();
    const NumbersPaste::Plan plan = NumbersPaste::plan(
        *m_model, NumbersPaste::parse(QGuiApplication::clipboard()->text()), at.row(), at.column());
    if (!plan.ok) {
        if (plan.refusedRow > 0) showRow(plan.refusedRow);
        if (m_reporter) m_reporter->messageBox(plan.message);
        return false;
    }
    NumbersPaste::apply(plan, *m_model);
    // The pasted block shows selected.
    const int last = plan.firstRow + int(plan.rows.size()) - 1;
    QItemSelection pasted(m_model->index(plan.firstRow, plan.firstColumn),
                          m_model->index(last, plan.lastColumn));
    m_grid->selectionModel()->select(pasted, QItemSelectionModel::ClearAndSelect);
    if (m_reporter)
        m_reporter->setStatus(QStringLiteral("Pasted %1 %2 from row %3")
                                  .arg(plan.rows.size())
                                  .arg(plan.rows.size() == 1 ? QStringLiteral("row") : QStringLiteral("rows"))
                                  .arg(plan.firstRow));
    return true;
}

void NumberListEditor::showRow(int row)
{
    const QModelIndex cell = m_model->index(row, NumberColumn::Number);
    m_grid->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    m_grid->scrollTo(cell);
}

void NumberListEditor::wheelScroll(QWheelEvent *event)
{
    leavePicker();
    m_wheelRest += event->angleDelta().y();
    const int steps = m_wheelRest / kWheelStep;
    m_wheelRest -= steps * kWheelStep;
    QScrollBar *bar = m_grid->verticalScrollBar();
    bar->setValue(bar->value() - steps);
    event->accept();
}

bool NumberListEditor::pickerEvent(QDateTimeEdit *picker, QEvent *event)
{
    const auto reason = [event] { return static_cast<QFocusEvent *>(event)->reason(); };
    switch (event->type()) {
    case QEvent::FocusIn:
        // The calendar drop-down giving the focus back continues the edit.
        if (reason() != Qt::PopupFocusReason && !m_editing && m_pickerCell.isValid() &&
            picker == this->picker(m_pickerCell.column()))
            beginPickerEdit(picker);
        return false;
    case QEvent::FocusOut: {
        // The calendar drop-down, or another window, takes the focus for a while only.
        if (reason() == Qt::PopupFocusReason || reason() == Qt::ActiveWindowFocusReason) return false;
        commitPicker();
        if (QApplication::focusWidget() != m_grid) picker->hide();
        return false;
    }
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Escape:
            revertPicker();
            m_grid->setFocus(Qt::OtherFocusReason);
            // The cell shows its text again; the next edit brings the picker back.
            putPickerAway();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_pickerTouched = true; // Enter takes the value shown
            commitPicker();
            m_grid->setFocus(Qt::OtherFocusReason);
            putPickerAway();
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            commitPicker();
            m_grid->setFocus(Qt::OtherFocusReason);
            stepCurrent(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        default: {
            // While the page's transfer runs the picker's value stays as the cell holds it.
            if (m_editing && editRefused()) return true;
            const bool taken = typeDate(picker, key);
            // A value typed or stepped is an edit, even when it equals the value the picker
            // showed before (the last one it held, over an empty cell).
            const QString text = key->text();
            if (m_editing &&
                ((text.size() == 1 && (isDigit(text.at(0).unicode()) || text == QLatin1String(":"))) ||
                 key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_PageUp ||
                 key->key() == Qt::Key_PageDown))
                m_pickerTouched = true;
            return taken;
        }
        }
    }
    case QEvent::Wheel:
        wheelScroll(static_cast<QWheelEvent *>(event));
        return true;
    default:
        return false;
    }
}

bool NumberListEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *p = qobject_cast<QDateTimeEdit *>(watched);
        p && std::find(m_pickers.begin(), m_pickers.end(), p) != m_pickers.end())
        return pickerEvent(p, event) || QWidget::eventFilter(watched, event);
    if (watched == m_grid && event->type() == QEvent::FocusIn) updatePickers();
    if (event->type() == QEvent::Wheel) {
        wheelScroll(static_cast<QWheelEvent *>(event));
        return true;
    }
    if (event->type() == QEvent::Paint) {
        if (auto *corner = qobject_cast<QAbstractButton *>(watched)) {
            // Drawn as the other headers are: the corner button is switched off only so
            // that a click on it selects nothing.
            QPainter painter(corner);
            QStyleOptionHeader option;
            option.initFrom(m_grid->horizontalHeader());
            option.rect = corner->rect();
            option.text = m_model->text(0, NumberColumn::Serial);
            option.textAlignment = Qt::AlignCenter;
            corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zc

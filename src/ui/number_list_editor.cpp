#include "ui/number_list_editor.h"

#include "numbers/numbers_codec.h"
#include "numbers/numbers_model.h"
#include "ui/cell_frame.h"
#include "ui/cell_tips.h"
#include "ui/page_undo.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace zc {

namespace {

constexpr int kColumnWidths[NumbersModel::Columns] = {45, 145, 83, 91, 89, 86, 78, 76};
constexpr int kRowHeight = 24;
constexpr int kWheelStep = 120; // angle delta of one wheel notch
const char *const kPickerNames[4] = {"dtp_startdate", "dtp_starttime", "dtp_enddate", "dtp_endtime"};
const QString kDateFormat = QStringLiteral("yyyy/MM/dd");
const QString kTimeFormat = QStringLiteral("HH:mm");
// The unit keeps the year as its last two digits after 2000.
const QDate kFirstDate(2000, 1, 1);
const QDate kLastDate(2099, 12, 31);

bool isCheckCell(const QModelIndex &index)
{
    return index.row() >= NumbersModel::FirstEntry &&
           (index.column() == NumberColumn::Always || index.column() == NumberColumn::Delete);
}

bool isDigits(QStringView text)
{
    if (text.isEmpty()) return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
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
        setSectionsClickable(false);
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

class Grid : public QTableView
{
public:
    explicit Grid(NumberListEditor *owner) : QTableView(owner), m_owner(owner) {}

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
        QDateTimeEdit *picker = m_owner->picker(index.column());
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
        QTableView::keyPressEvent(event);
    }

    void updateGeometries() override
    {
        QTableView::updateGeometries();
        m_owner->placePicker();
    }

    void scrollContentsBy(int dx, int dy) override
    {
        QTableView::scrollContentsBy(dx, dy);
        m_owner->placePicker();
    }

private:
    NumberListEditor *m_owner;
};

} // namespace

QBrush NumberListDelegate::background(const QModelIndex &index) const
{
    const auto *model = qobject_cast<const NumbersModel *>(index.model());
    if (model && model->isDoubtful(index.row(), index.column())) return warningColour();
    return {};
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
    if (const QBrush b = background(index); b.style() != Qt::NoBrush) option->backgroundBrush = b;
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
    painter->fillRect(option.rect, option.palette.base());
    QStyleOptionButton box;
    box.palette = option.palette;
    box.state = QStyle::State_Enabled |
                (index.data().toString() == QLatin1String("yes") ? QStyle::State_On : QStyle::State_Off);
    const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, option.widget);
    const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, option.widget);
    const QRect &r = option.rect;
    box.rect = QRect(r.left() + (r.width() - w) / 2, r.top() + (r.height() - h) / 2, w, h);
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, option.widget);
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
    m_grid->setItemDelegate(m_delegate);
    WholeTextTips::install(m_grid);
    PageUndo::Table table;
    table.rows = NumbersModel::Rows;
    table.columns = NumbersModel::Columns;
    table.text = [model](int row, int column) { return model->text(row, column); };
    table.setText = [model](int row, int column, const QString &text) { model->setText(row, column, text); };
    m_undo = new PageUndo(std::move(table), this);
    m_delegate->setUndo(m_undo);
    connect(m_model, &QAbstractItemModel::dataChanged, m_undo,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                m_undo->cellsChanged(topLeft.row(), topLeft.column(), bottomRight.row(),
                                     bottomRight.column());
            });
    connect(m_model, &QAbstractItemModel::modelReset, m_undo, &PageUndo::allChanged);
    connect(m_undo, &PageUndo::marksChanged, m_grid->viewport(), qOverload<>(&QWidget::update));
    connect(m_undo, &PageUndo::restored, this,
            [this](int row, int column) { m_grid->scrollTo(m_model->index(row, column)); });
    m_frame = new CurrentCellFrame(m_grid);
    m_grid->horizontalHeader()->setFixedHeight(kRowHeight);
    m_grid->verticalHeader()->setFixedWidth(kColumnWidths[NumberColumn::Serial]);
    m_grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_grid->setShowGrid(true);
    m_grid->setWordWrap(false);
    m_grid->setTextElideMode(Qt::ElideNone);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
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
        p->setFrame(false);
        p->hide();
        p->installEventFilter(this); // the wheel over a picker scrolls the grid too
        connect(p, &QAbstractSpinBox::editingFinished, this, [this, column] { writeBack(column); });
        m_pickers[i] = p;
    }
    const QDateTime now = QDateTime::currentDateTime();
    m_pickers[0]->setDate(QDate(2015, 3, 6));
    m_pickers[1]->setTime(QTime(0, 0));
    m_pickers[2]->setDate(now.date());
    m_pickers[3]->setTime(now.time());
    // A date chosen in the start-date picker goes into its cell at once, not only on leaving.
    connect(m_pickers[0], &QDateTimeEdit::dateChanged, this, [this] {
        if (m_pickers[0]->isVisible()) writeBack(NumberColumn::StartDate);
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
    QDateTimeEdit *shown = nullptr;
    if (current.isValid() && current.row() >= NumbersModel::FirstEntry &&
        m_model->text(current.row(), NumberColumn::Always) == QLatin1String("no"))
        shown = picker(current.column());
    // Hiding a picker that holds the focus writes its value back first, into its old cell.
    for (QDateTimeEdit *p : m_pickers)
        if (p != shown) p->hide();
    if (!shown) {
        m_pickerCell = QPersistentModelIndex();
        placePicker();
        return;
    }
    if (!shown->hasFocus())
        loadPicker(shown, current.column(), m_model->text(current.row(), current.column()));
    m_pickerCell = current;
    placePicker();
    shown->raise();
    shown->show();
}

void NumberListEditor::placePicker()
{
    if (!m_grid) return;
    QDateTimeEdit *p = m_pickerCell.isValid() ? picker(m_pickerCell.column()) : nullptr;
    if (p) p->setGeometry(m_grid->visualRect(m_pickerCell));
    if (m_frame) m_frame->follow(m_pickerCell, p != nullptr);
}

void NumberListEditor::loadPicker(QDateTimeEdit *picker, int column, const QString &text)
{
    // A cell that does not read as a date or time in range leaves the picker's last value.
    const QSignalBlocker block(picker);
    if (NumberEntry::isDateColumn(column)) {
        const auto d = NumbersCodec::readDate(text);
        if (!d || !isDigits(QStringView(text).left(4))) return;
        const QDate date(QStringView(text).left(4).toInt(), d->month, d->day);
        if (date.isValid() && date >= kFirstDate && date <= kLastDate) picker->setDate(date);
    } else {
        const auto t = NumbersCodec::readTime(text);
        if (!t) return;
        const QTime time(t->hour, t->minute);
        if (time.isValid()) picker->setTime(time);
    }
}

void NumberListEditor::writeBack(int column)
{
    if (m_reverting || !m_pickerCell.isValid() || m_pickerCell.column() != column) return;
    const QDateTimeEdit *p = picker(column);
    const QString text =
        NumberEntry::isDateColumn(column) ? p->date().toString(kDateFormat) : p->time().toString(kTimeFormat);
    m_model->setText(m_pickerCell.row(), column, text);
}

void NumberListEditor::cellClicked(const QModelIndex &index)
{
    if (isCheckCell(index)) m_model->toggleCheck(index.row(), index.column());
}

void NumberListEditor::wheelScroll(QWheelEvent *event)
{
    m_wheelRest += event->angleDelta().y();
    const int steps = m_wheelRest / kWheelStep;
    m_wheelRest -= steps * kWheelStep;
    QScrollBar *bar = m_grid->verticalScrollBar();
    bar->setValue(bar->value() - steps);
    event->accept();
}

void NumberListEditor::revertPicker()
{
    const QPersistentModelIndex cell = m_pickerCell;
    m_reverting = true;
    if (m_grid) m_grid->setFocus(Qt::OtherFocusReason);
    if (cell.isValid()) m_model->setText(cell.row(), cell.column(), m_pickerOriginal);
    m_reverting = false;
    updatePickers();
}

bool NumberListEditor::eventFilter(QObject *watched, QEvent *event)
{
    // The calendar drop-down taking the focus for a while does not end the picker's edit.
    const bool popup = (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) &&
                       static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason;
    const bool isPicker = !popup && m_pickerCell.isValid() &&
                          std::find(m_pickers.begin(), m_pickers.end(), watched) != m_pickers.end();
    if (isPicker && event->type() == QEvent::FocusIn) {
        // The picker's changes to its cell make one undo step, and Escape goes back to here.
        m_pickerOriginal = m_model->text(m_pickerCell.row(), m_pickerCell.column());
        m_undo->editStarted(m_pickerCell.row(), m_pickerCell.column());
    } else if (isPicker && event->type() == QEvent::FocusOut) {
        m_undo->editEnded();
    } else if (isPicker && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        revertPicker();
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        wheelScroll(static_cast<QWheelEvent *>(event));
        return true;
    }
    if (event->type() == QEvent::Paint) {
        if (auto *corner = qobject_cast<QAbstractButton *>(watched)) {
            QPainter painter(corner);
            QStyleOptionHeader option;
            option.initFrom(corner);
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

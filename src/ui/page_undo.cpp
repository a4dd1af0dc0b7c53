#include "ui/page_undo.h"

#include <QHash>
#include <QTimer>

#include <algorithm>

namespace zc {

namespace {

// One undo step: the cells it changed, with their texts before and after. Steps with the
// same key merge; a merged step that changes nothing any more is dropped by the stack.
class CellsCommand : public QUndoCommand
{
public:
    CellsCommand(PageUndo &owner, int key, std::vector<PageUndo::Change> changes)
        : m_owner(owner), m_key(key), m_changes(std::move(changes))
    {
        for (std::size_t i = 0; i < m_changes.size(); ++i) {
            m_at.insert(m_changes[i].cell, i);
            m_differing += m_changes[i].before != m_changes[i].after;
        }
    }

    int key() const { return m_key; }
    int id() const override { return 1; }

    // Merging costs as much as the cells merged in, whatever the step already holds, so an
    // import or a paste of many rows stays linear in its size.
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *o = static_cast<const CellsCommand *>(other);
        if (o->m_key != m_key) return false;
        for (const PageUndo::Change &c : o->m_changes) {
            if (const auto it = m_at.constFind(c.cell); it != m_at.cend()) {
                PageUndo::Change &mine = m_changes[*it];
                m_differing -= mine.before != mine.after;
                mine.after = c.after;
                m_differing += mine.before != mine.after;
            } else {
                m_at.insert(c.cell, m_changes.size());
                m_changes.push_back(c);
                m_differing += c.before != c.after;
            }
        }
        setObsolete(m_differing == 0);
        return true;
    }

    void undo() override { m_owner.apply(m_changes, false); }
    void redo() override
    {
        // The first redo is the change the user has just made.
        if (m_done) m_owner.apply(m_changes, true);
        m_done = true;
    }

private:
    PageUndo &m_owner;
    int m_key;
    std::vector<PageUndo::Change> m_changes;
    QHash<int, std::size_t> m_at; // cell -> its place in m_changes
    int m_differing = 0;          // changes whose texts before and after differ
    bool m_done = false;
};

} // namespace

PageUndo::PageUndo(Table table, QObject *parent) : QObject(parent), m_table(std::move(table))
{
    m_shadow.resize(std::size_t(m_table.rows * m_table.columns));
    for (int r = 0; r < m_table.rows; ++r)
        for (int c = 0; c < m_table.columns; ++c)
            m_shadow[std::size_t(r * m_table.columns + c)] = m_table.text(r, c);
    m_baseline = m_shadow;
    m_stack.setUndoLimit(100);
}

void PageUndo::cellsChanged(int top, int left, int bottom, int right)
{
    top = qMax(top, 0);
    left = qMax(left, 0);
    bottom = qMin(bottom, m_table.rows - 1);
    right = qMin(right, m_table.columns - 1);
    std::vector<Change> changes;
    for (int r = top; r <= bottom; ++r)
        for (int c = left; c <= right; ++c) {
            const int cell = r * m_table.columns + c;
            QString now = m_table.text(r, c);
            QString &seen = m_shadow[std::size_t(cell)];
            if (now == seen) continue;
            changes.push_back({cell, seen, now});
            seen = std::move(now);
        }
    if (changes.empty()) return;
    emit marksChanged();
    if (m_applying) return;

    int key = 0;
    if (m_joining) key = topKey();
    if (!key && m_decoding) key = m_readKey;
    const int editCell = m_editRow * m_table.columns + m_editColumn;
    if (!key && m_editRow >= 0 && std::all_of(changes.begin(), changes.end(), [editCell](const Change &c) {
            return c.cell == editCell;
        }))
        key = m_editKey;
    if (!key) key = burstKey();
    m_stack.push(new CellsCommand(*this, key, std::move(changes)));
}

int PageUndo::burstKey()
{
    if (!m_burstKey) {
        m_burstKey = newKey();
        // The burst ends when the event loop next runs.
        QTimer::singleShot(0, this, [this] { m_burstKey = 0; });
    }
    return m_burstKey;
}

int PageUndo::topKey() const
{
    const int i = m_stack.index() - 1;
    return i >= 0 ? static_cast<const CellsCommand *>(m_stack.command(i))->key() : 0;
}

void PageUndo::follow(Tsend_rec_command &transfer)
{
    connect(&transfer, &Tsend_rec_command::started, this, [this](bool writing) {
        if (!writing) m_readKey = newKey();
    });
    connect(&transfer, &Tsend_rec_command::decoding, this, [this](bool on) { m_decoding = on; });
    connect(&transfer, &Tsend_rec_command::done, this, [this](const Outcome &outcome) {
        m_decoding = false;
        if (outcome.completed()) markUnchanged();
    });
}

void PageUndo::editStarted(int row, int column)
{
    m_editKey = newKey();
    m_editRow = row;
    m_editColumn = column;
}

void PageUndo::editEnded()
{
    // What the closing editor still writes into its cell belongs to the edit.
    QTimer::singleShot(0, this, [this, key = m_editKey] {
        if (m_editKey == key) m_editRow = m_editColumn = -1;
    });
}

void PageUndo::joinLast(const std::function<void()> &change)
{
    m_joining = true;
    change();
    m_joining = false;
}

bool PageUndo::isChanged(int row, int column) const
{
    if (row < 0 || row >= m_table.rows || column < 0 || column >= m_table.columns) return false;
    const auto i = std::size_t(row * m_table.columns + column);
    return m_shadow[i] != m_baseline[i];
}

bool PageUndo::hasChanges() const
{
    return m_shadow != m_baseline;
}

void PageUndo::markUnchanged()
{
    m_baseline = m_shadow;
    emit marksChanged();
}

void PageUndo::apply(const std::vector<Change> &changes, bool after)
{
    m_applying = true;
    for (const Change &c : changes) {
        const int r = c.cell / m_table.columns, col = c.cell % m_table.columns;
        m_table.setText(r, col, after ? c.after : c.before);
        m_shadow[std::size_t(c.cell)] = m_table.text(r, col);
    }
    m_applying = false;
    emit marksChanged();
    if (!changes.empty())
        emit restored(changes.front().cell / m_table.columns, changes.front().cell % m_table.columns);
}

} // namespace zc

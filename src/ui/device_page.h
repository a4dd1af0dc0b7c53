// What the window knows of a tab that owns an area of the unit: the transfer it runs, the
// buttons a login enables, its undo, and whether it may be changed now. The window loops
// over its device pages; a new area adds a page and one line in the window.
#pragma once

#include "link/paged_transfer.h"
#include "ui/page_undo.h"
#include "words/reporter.h"

#include <QList>

#include <array>

class QPushButton;
class QWidget;

namespace zc {

class DevicePage
{
public:
    virtual ~DevicePage() = default;

    virtual QWidget *pageWidget() = 0;
    virtual Tsend_rec_command &transfer() = 0;
    // The buttons that only a successful login enables.
    virtual QList<QPushButton *> deviceControls() const = 0;
    // The undo of the page's table, or nullptr when the user does not edit it.
    virtual PageUndo *undo() const { return nullptr; }

    // Puts what an open editor or picker shows into the table, before an undo or a question
    // about the table's changes.
    virtual void commitEdits() {}

    // The keys every device page answers: F5 reads, Ctrl+S saves, Ctrl+E exports, each by
    // pressing the page's own button for it (nullptr where the page has none).
    enum class Key { Read, Save, Export };
    static constexpr int KeyCount = 3;
    QPushButton *keyButton(Key key) const { return m_keyButtons[std::size_t(key)]; }

    // The table holds changes not saved to the unit.
    bool hasUnsavedChanges() const
    {
        const PageUndo *u = undo();
        return u && u->hasChanges();
    }
    // While the page's transfer runs its table stays as it is: says so in the status line
    // and returns true; the caller then changes nothing.
    bool refuseWhileTransferring(Reporter &reporter)
    {
        Tsend_rec_command &t = transfer();
        if (!t.active()) return false;
        reporter.setStatus(QStringLiteral("%1 is running; wait until it ends")
                               .arg(t.writing() ? QStringLiteral("A save") : QStringLiteral("A read")));
        return true;
    }

protected:
    // Set by the page when it makes its buttons, in Key order.
    std::array<QPushButton *, KeyCount> m_keyButtons{};
};

} // namespace zc

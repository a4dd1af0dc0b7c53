// Everything the user is told goes through one Reporter: the status line, the progress
// bar, and the modal messages and questions. The window implements it with widgets;
// tests use a recording implementation that answers at once.
#pragma once

#include <QString>

namespace zc {

class Reporter
{
public:
    virtual ~Reporter() = default;
    // Status text through the status-bar controller (starts the status clear timer).
    virtual void setStatus(const QString &text) = 0;
    // Writes the status panel directly, without starting the status clear timer.
    virtual void setStatusDirect(const QString &text) = 0;
    // A sentence that stays in the status line until the next status (what an interrupted
    // transfer left behind): written directly, and the status clear timer is stopped.
    virtual void setLastingStatus(const QString &text) { setStatusDirect(text); }
    // While held (holds nest), a reporter that paints may show only the last status text set,
    // once the last hold ends; reporters that record every text keep doing so. The reply
    // handler holds the status while it hands a reply on, so that showing a text nobody would
    // see painted never delays the next request.
    virtual void holdStatus(bool hold) { (void)hold; }
    // Progress 0..100: non-zero shows the bar, 100 hides it, 0 only sets the position.
    virtual void setProgress(int value) = 0;
    // Modal box, empty caption, OK only.
    virtual void messageBox(const QString &text) = 0;
    // Modal message titled with the application name, OK only.
    virtual void messageDialog(const QString &text) = 0;
    // Question with "OK(&Y)" / "Cancel(&N)"; true for OK.
    virtual bool question(const QString &text) = 0;
    // Warning box with OK and Cancel; true for OK.
    virtual bool warningOkCancel(const QString &text) = 0;

    // The button that Enter (or closing the box) gives. Prompts that guard the unit's data
    // or unsaved edits offer Cancel.
    enum class Default { Ok, Cancel };
    enum class Prompt { Question, Warning };
    // A question or warning box as above, with the given default button; true for OK.
    // details, when given, is a longer text the user can open under a Details button.
    virtual bool confirm(const QString &text, Prompt kind, Default byDefault, const QString &details = {})
    {
        (void)byDefault;
        (void)details;
        return kind == Prompt::Warning ? warningOkCancel(text) : question(text);
    }
    // Gives the question or warning now open a new text, when what it says no longer holds
    // (the operation it names ended while it was open). False when none is open, or when the
    // reporter answers at once; the caller then asks again.
    virtual bool retextOpenQuestion(const QString &text)
    {
        (void)text;
        return false;
    }
    // A file was written: the status line names its whole path.
    virtual void fileSaved(const QString &path) { setStatus(QStringLiteral("Saved: ") + path); }
};

} // namespace zc

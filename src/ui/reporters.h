// The status line and progress bar controllers, and the window's Reporter that joins
// them with the modal messages. Modal messages go to an injected Reporter when one is
// given (tests), otherwise to QMessageBox.
#pragma once

#include "words/reporter.h"

#include <QPointer>

class QLabel;
class QMessageBox;
class QProgressBar;
class QWidget;

namespace zc {

class RuleTimer;

// Writes the status text and starts the status clear timer (which a running timer ignores).
// While held, the clear timer follows each call at once but only the last text reaches the
// panel, when the hold ends.
class Tstatusbar_ctrl
{
public:
    Tstatusbar_ctrl(QLabel *panel, RuleTimer *clearTimer) : m_panel(panel), m_timer(clearTimer) {}
    void SetStatusText(const QString &text);
    // A text that stays until the next one: the clear timer is stopped.
    void SetLastingText(const QString &text);
    // The text alone; the clear timer is left as it is.
    void SetDirectText(const QString &text);
    void Hold(bool on);
    // The text the panel shows, or will show once the hold ends.
    QString Text() const;

private:
    void show(const QString &text);

    QLabel *m_panel;
    RuleTimer *m_timer;
    bool m_holding = false;
    bool m_pending = false;
    QString m_pendingText;
};

// Progress 0..100: a non-zero value shows the bar, 100 hides it, 0 only moves it. While
// held, only where the calls leave the bar is shown, when the hold ends.
class Tprogressbar_ctrl
{
public:
    explicit Tprogressbar_ctrl(QProgressBar *bar) : m_bar(bar) {}
    void SetProgress(int value);
    void Hold(bool on);

private:
    // 1: show the bar, 0: hide it, -1: leave it as it is.
    void apply(int value, int visible);

    QProgressBar *m_bar;
    bool m_holding = false;
    bool m_pending = false;
    int m_pendingValue = 0;
    int m_pendingVisible = -1;
};

class WindowReporter : public Reporter
{
public:
    WindowReporter(QWidget *owner, QLabel *statusPanel, Tstatusbar_ctrl *status, Tprogressbar_ctrl *progress,
                   Reporter *injected);
    ~WindowReporter() override;
    void setStatus(const QString &text) override;
    void setStatusDirect(const QString &text) override;
    // Also widens the panel over the (hidden) progress bar until the next status text.
    void setLastingStatus(const QString &text) override;
    void setProgress(int value) override;
    void holdStatus(bool hold) override;
    void messageBox(const QString &text) override;
    void messageDialog(const QString &text) override;
    bool question(const QString &text) override;
    bool warningOkCancel(const QString &text) override;
    bool confirm(const QString &text, Prompt kind, Default byDefault, const QString &details = {}) override;
    bool retextOpenQuestion(const QString &text) override;
    // Shows "Saved: " and the whole path, wide enough to read, until the next status text;
    // the status clear timer leaves it standing. A click on it opens the folder (the window).
    void fileSaved(const QString &path) override;

    // The file the status line names, or "" when it shows anything else.
    QString savedFile() const { return m_savedFile; }
    // The status panel's width for ordinary texts and for a saved file's path.
    void setPanelWidths(int normal, int wide);

private:
    void forgetSavedFile();
    void holdControls(bool on);
    class ModalBox;

    QWidget *m_owner;
    QLabel *m_panel;
    Tstatusbar_ctrl *m_status;
    Tprogressbar_ctrl *m_progress;
    Reporter *m_injected;
    QString m_savedFile;
    int m_normalWidth = 0, m_wideWidth = 0;
    // The panel is wide for a lasting sentence (what an operation left behind).
    bool m_wideSentence = false;
    // The status text changed since its width was last measured for the tooltip.
    bool m_tipStale = false;
    QPointer<QObject> m_tipCheck;
    QPointer<QMessageBox> m_openQuestion; // the question box open now, if any
    int m_holds = 0;
};

// Asks before an action that replaces a page's table with data from the unit or a file.
// Without unsaved edits the page's own question is asked as it always was (OK by default);
// with them, the question says that the edits will be lost and Cancel is the default. An
// empty question means the action asks nothing unless edits would be lost.
bool confirmOverEdits(Reporter &reporter, const QString &question, bool unsavedEdits);

} // namespace zc

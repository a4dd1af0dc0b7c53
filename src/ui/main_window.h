// The main window: top bar (port and login), four pages, status bar with port lamp,
// status text, progress bar and Stop button. Owns every long-lived object of the tool. On a
// screen smaller than the window the top bar and the status bar stay in sight and only the
// page area scrolls, when the current page cannot shrink to it.
#pragma once

#include "link/link_session.h"
#include "link/port_discovery.h"
#include "ui/file_dialogs.h"
#include "ui/history_page.h"
#include "ui/number_list_page.h"
#include "ui/reporters.h"
#include "ui/settings_page.h"

#include <QList>
#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace zc {

class PageTabs;
class PageUndo;

class TForm1 : public QWidget
{
    Q_OBJECT
public:
    struct Options
    {
        Reporter *dialogs = nullptr; // modal messages go here when set (tests)
        int replyTimeoutMs = 3000;
        int statusClearMs = 3000;
        bool discoverPorts = true;
        FileDialogs *files = nullptr; // file dialogs and export folder go here when set (tests)
        Clock now;                    // the time for time-stamped file names; empty = local time
        // Opens a folder for the user (a click on a saved file's path); empty = the desktop's
        // file manager through QDesktopServices.
        std::function<void(const QString &folder)> openFolder;
    };

    explicit TForm1(const Options &options, QWidget *parent = nullptr);
    TForm1() : TForm1(Options{}) {}
    ~TForm1() override;

    static constexpr int ClientWidth = 1059;
    static constexpr int ClientHeight = 653;
    // The window's font: a sans font with the metrics the column widths were made for.
    static QFont windowFont();

    QList<QPushButton *> deviceControls() const { return m_deviceControls; }
    LinkSession &session() { return *m_session; }
    TComm &comm() { return m_session->comm(); }
    SettingsModel &settingsModel() { return m_settingsPage->model(); }
    ReplyHandler &replyHandler() { return m_session->handler(); }
    Tpasswordverify &login() { return m_session->login(); }
    Reporter &reporter() { return *m_reporter; }
    bool portStateOpen() const { return m_portOpen; }
    // The settings or the number list hold changes not saved to the unit (an editor still
    // open aside).
    bool holdsUnsavedChanges() const;

public slots:
    void btn8Click();
    void btn1Click();
    void btn21Click();
    void btn22Click();
    void btn23Click();
    void tmr2Timer();
    void cm1RequestHangup();
    void pgc1Change(int index);
    // Stop (the button, or Escape): ends the running transfer and its outstanding request at once.
    void btnStopClick();
    // Ctrl+Z, and Ctrl+Y or Ctrl+Shift+Z: undo and redo on the current page.
    void undoPage();
    void redoPage();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // Asks first while an operation runs on the unit (naming it and what the unit then holds),
    // and when the settings or the number list hold changes not saved to the unit.
    void closeEvent(QCloseEvent *event) override;
    // The close question: what runs on the unit and what closing does to it, and which pages
    // hold edits not saved; empty when closing loses nothing.
    QString closeQuestion();
    // The status bar's width-dependent parts, a click on a saved file's path, and Ctrl+E
    // wherever the focus is in the window.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void buildPages();
    // The Stop button follows the page's transfer.
    void followTransfer(DevicePage *page);
    // The current page's undo, or nullptr; refused while that page's transfer runs.
    PageUndo *pageUndo();
    void buildShortcuts();
    // F5, Ctrl+S and Ctrl+E: the current page's button for the key, when it is enabled.
    void pressPageKey(DevicePage::Key key);
    // The page area is at least as large as the current page needs; beyond that it scrolls.
    void fitPageArea();
    // The top bar's room: its own height, and a scroll bar under it when it is cut.
    void fitTopBar();
    void setDeviceControlsEnabled(bool enabled);
    void loginCheck(const TRecValidCom &reply);
    QWidget *addPage(QWidget *page, const QString &caption);
    // The Open button's text, the lamp and m_portOpen follow the port.
    void showPortOpen(bool open);

    Options m_options;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_client = nullptr; // the 1059 x 653 content
    class TopBar *m_topBar = nullptr;
    QScrollArea *m_topScroll = nullptr; // the top bar, scrolling sideways on a narrow screen
    // Pages
    QTabWidget *m_pgc1 = nullptr;
    PageTabs *m_tabs = nullptr;
    SettingsPage *m_settingsPage = nullptr;
    NumberListPage *m_numberListPage = nullptr;
    HistoryPage *m_historyPage = nullptr;
    class StatusBar *m_stat1 = nullptr;
    QPushButton *m_btnStop = nullptr;

    RuleTimer m_tmr2;
    std::unique_ptr<Tstatusbar_ctrl> m_statusCtrl;
    std::unique_ptr<Tprogressbar_ctrl> m_progressCtrl;
    std::unique_ptr<WindowReporter> m_reporter;
    std::unique_ptr<LinkWatcher> m_linkWords;
    std::unique_ptr<LinkSession> m_session;
    QList<DevicePage *> m_devicePages;
    class TransferProgressText *m_progressText = nullptr;
    QList<QPushButton *> m_deviceControls;
    bool m_portOpen = false;
    bool m_shown = false;
};

} // namespace zc

// The main window: top bar (port and login), four pages, status bar with port lamp,
// status text and progress bar. Owns every long-lived object of the tool.
#pragma once

#include "link/link_session.h"
#include "link/port_discovery.h"
#include "ui/reporters.h"
#include "ui/history_page.h"
#include "ui/number_list_page.h"
#include "ui/settings_page.h"

#include <QList>
#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace zc {

class PageTabs;

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
    };

    explicit TForm1(const Options &options, QWidget *parent = nullptr);
    TForm1() : TForm1(Options{}) {}
    ~TForm1() override;

    static constexpr int ClientWidth = 1059;
    static constexpr int ClientHeight = 653;

    QList<QPushButton *> deviceControls() const { return m_deviceControls; }
    LinkSession &session() { return *m_session; }
    TComm &comm() { return m_session->comm(); }
    SettingsModel &settingsModel() { return m_settingsPage->model(); }
    ReplyHandler &replyHandler() { return m_session->handler(); }
    Tpasswordverify &login() { return m_session->login(); }
    Reporter &reporter() { return *m_reporter; }
    bool portStateOpen() const { return m_portOpen; }

public slots:
    void btn8Click();
    void btn1Click();
    void btn21Click();
    void btn22Click();
    void btn23Click();
    void tmr2Timer();
    void cm1RequestHangup(const QString &why);
    void pgc1Change(int index);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void buildTopBar();
    void buildPages();
    void buildStatusBar();
    void fillPortList();
    void setDeviceControlsEnabled(bool enabled);
    void loginCheck(const TRecValidCom &reply);
    QWidget *addPage(QWidget *page, const QString &caption);
    void showLamp(bool open);
    QString chosenPortPath() const;

    Options m_options;
    // Top bar
    QWidget *m_pnl4 = nullptr;
    QComboBox *m_cbb9 = nullptr;
    QPushButton *m_btn8 = nullptr;
    QLineEdit *m_edt3 = nullptr;
    QPushButton *m_btn1 = nullptr;
    // Pages
    QTabWidget *m_pgc1 = nullptr;
    PageTabs *m_tabs = nullptr;
    SettingsPage *m_settingsPage = nullptr;
    NumberListPage *m_numberListPage = nullptr;
    HistoryPage *m_historyPage = nullptr;
    // Status bar
    QWidget *m_stat1 = nullptr;
    QLabel *m_statusPanel0 = nullptr;
    QLabel *m_statusText = nullptr;
    QLabel *m_img1 = nullptr;
    QLabel *m_img2 = nullptr;
    QProgressBar *m_pb1 = nullptr;

    RuleTimer m_tmr2;
    std::unique_ptr<Tstatusbar_ctrl> m_statusCtrl;
    std::unique_ptr<Tprogressbar_ctrl> m_progressCtrl;
    std::unique_ptr<WindowReporter> m_reporter;
    std::unique_ptr<LinkSession> m_session;
    QList<QPushButton *> m_deviceControls;
    QList<PortEntry> m_ports;
    bool m_portOpen = false;
    bool m_shown = false;
};

} // namespace zc

// The main window: top bar (port and login), four pages, status bar with port lamp,
// status text and progress bar. Owns every long-lived object of the tool.
#pragma once

#include "settings/basic_inf.h"
#include "link/comm.h"
#include "link/login.h"
#include "link/port_discovery.h"
#include "link/reply_handler.h"
#include "ui/reporters.h"
#include "link/rule_timer.h"
#include "settings/settings_model.h"

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
class SettingsEditor;

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
    TComm &comm() { return m_cm1; }
    SettingsModel &settingsModel() { return m_settings; }
    ReplyHandler &replyHandler() { return *m_handler; }
    Tpasswordverify &login() { return m_login; }
    Reporter &reporter() { return *m_reporter; }
    bool portStateOpen() const { return m_portOpen; }

public slots:
    void btn8Click();
    void btn1Click();
    void btn21Click();
    void btn22Click();
    void btn23Click();
    void cm1ReceiveData(std::uint8_t byte);
    void tmr1Timer();
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
    void showLamp(bool open);
    QString chosenPortPath() const;
    QPushButton *addButton(QWidget *parent, const char *name, const QString &caption, QRect geometry);

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
    SettingsEditor *m_settingsEditor = nullptr;
    // Status bar
    QWidget *m_stat1 = nullptr;
    QLabel *m_statusPanel0 = nullptr;
    QLabel *m_statusText = nullptr;
    QLabel *m_img1 = nullptr;
    QLabel *m_img2 = nullptr;
    QProgressBar *m_pb1 = nullptr;

    RuleTimer m_tmr1;
    RuleTimer m_tmr2;
    TComm m_cm1;
    SettingsModel m_settings;
    std::unique_ptr<Tstatusbar_ctrl> m_statusCtrl;
    std::unique_ptr<Tprogressbar_ctrl> m_progressCtrl;
    std::unique_ptr<WindowReporter> m_reporter;
    std::unique_ptr<ReplyHandler> m_handler;
    Tpasswordverify m_login;
    std::unique_ptr<TBasicInf> m_basicInf;
    Tsend_rec_command m_telephoneSend; // number list transfer
    Tsend_rec_command m_historyInf;    // history transfer
    Tsingalcmd m_deleteHistory{kCmdDeleteHistory};
    QList<QPushButton *> m_deviceControls;
    QList<PortEntry> m_ports;
    bool m_portOpen = false;
    bool m_shown = false;
};

} // namespace zc

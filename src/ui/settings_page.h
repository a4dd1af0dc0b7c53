// The "Basic settings" page `ts1`: its four buttons, the settings grid and pick lists, and
// the settings table and transfer behind them. The page asks the user before a read; the
// transfer itself never asks. Export and import of settings profiles need no link.
#pragma once

#include "settings/basic_inf.h"
#include "settings/settings_model.h"
#include "ui/device_page.h"
#include "ui/file_dialogs.h"

#include <QWidget>

class QPushButton;

namespace zc {

class LinkSession;
class Reporter;
class FindingsBar;
class SettingsEditor;
class UnitPages;

class SettingsPage : public QWidget, public DevicePage
{
    Q_OBJECT
public:
    // files and clock may be left empty: QFileDialogs and the local time are used.
    SettingsPage(LinkSession &session, Reporter &reporter, FileDialogs *files = nullptr, Clock clock = {},
                 QWidget *parent = nullptr);

    SettingsModel &model() { return m_model; }
    TBasicInf &transfer() override { return m_basicInf; }
    QWidget *pageWidget() override { return this; }
    PageUndo *undo() const override;
    SettingsEditor *editor() const { return m_editor; }
    FindingsBar *findingsBar() const { return m_findings; }
    // The buttons that only a successful login enables.
    QList<QPushButton *> deviceControls() const override { return m_controls; }

public slots:
    void btn21Click(); // Read Settings
    void btn22Click(); // Save Settings
    void btn16Click(); // Import profile
    void btn17Click(); // Export profile

private:
    // Before a save that would replace settings the user never saw: asks, Cancel by default.
    bool askBeforeLoss();

    LinkSession &m_session;
    Reporter &m_reporter;
    SettingsModel m_model;
    TBasicInf m_basicInf;
    PageFiles m_files;
    SettingsEditor *m_editor = nullptr;
    FindingsBar *m_findings = nullptr; // the audit's findings above the grid
    UnitPages *m_unitPages = nullptr;  // what the unit holds, as far as is known
    QList<QPushButton *> m_controls;
};

} // namespace zc

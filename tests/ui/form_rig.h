// A main window wired to a simulated unit on a fresh pseudo-terminal, with every modal
// message going to a recording reporter and short timer intervals.
#pragma once

#include "common/recording_reporter.h"
#include "common/wait.h"
#include "devsim/simulator.h"
#include "ui/main_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace zc::test {

// The settings page's messages on a read and a save.
inline const QString kSettingsReadAsk =
    QStringLiteral("Read the GSM device basic parameters to PC software?");
inline const QString kSettingsReadOk = QStringLiteral("Basic settings read to PC software success.");
inline const QString kSettingsSaveOk = QStringLiteral("Basic setting saved success");
// How the questions before a save over what the unit holds start: the page was not read
// since the port was opened; the save removes numbers the unit holds.
inline const QString kSettingsUnread = QStringLiteral("The settings were not read from the unit");
inline const QString kNumbersUnread = QStringLiteral("The number list was not read from the unit");
inline const QString kNumbersRemoved = QStringLiteral("This save removes ");

struct FormRig
{
    RecordingReporter rec;
    std::unique_ptr<devsim::Simulator> sim;
    std::unique_ptr<TForm1> form;

    // The status line clears this long after its last text: short, so that tests of the
    // clearing do not wait out the window's 3000 ms; a test that reads a status after a
    // longer pause asks for more.
    static constexpr int kStatusClearMs = 300;
    static constexpr int kReplyTimeoutMs = 400;

    explicit FormRig(const devsim::Options &options = {}, bool startSim = true,
                     int statusClearMs = kStatusClearMs)
    {
        if (startSim) {
            sim = std::make_unique<devsim::Simulator>(options);
            QString error;
            if (!sim->start({}, &error))
                qFatal("simulator: %s", qPrintable(error));
        }
        TForm1::Options o;
        o.dialogs = &rec;
        o.replyTimeoutMs = kReplyTimeoutMs;
        o.statusClearMs = statusClearMs;
        o.discoverPorts = false;
        form = std::make_unique<TForm1>(o);
        form->show();
    }
    template <typename T = QWidget> T *w(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QPushButton *button(const char *name) const { return w<QPushButton>(name); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    QString status() const { return w<QLabel>("stat1_status")->text(); }
    bool lampGreen() const { return w<QLabel>("img2")->isVisible() && !w<QLabel>("img1")->isVisible(); }

    void open(const QString &path)
    {
        w<QComboBox>("cbb9")->setEditText(path);
        click("btn8");
    }
    void openSim() { open(sim->ptyPath()); }
    // Clicks a button and waits until every expected message was shown.
    bool clickAndWait(const char *name, int ms = 5000)
    {
        click(name);
        return waitUntil([this] { return rec.allExpectedSeen(); }, ms);
    }
    bool login(const QString &password = QStringLiteral("8530"))
    {
        w<QLineEdit>("edt3")->setText(password);
        return clickAndWait("btn1");
    }
    // Opens the simulated unit and logs in with its factory password.
    bool openAndLogIn()
    {
        openSim();
        rec.expect(QStringLiteral("Password confirmed!"));
        return login();
    }
    // A rig on a unit with these options, opened and logged in.
    static std::unique_ptr<FormRig> loggedIn(const devsim::Options &options = {})
    {
        auto rig = std::make_unique<FormRig>(options);
        if (!rig->openAndLogIn()) qFatal("login failed");
        return rig;
    }
    bool controlsEnabled(bool enabled) const
    {
        for (QPushButton *b : form->deviceControls())
            if (b->isEnabled() != enabled)
                return false;
        return true;
    }
};

} // namespace zc::test

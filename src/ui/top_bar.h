// The window's top bar `pnl4`: the port list `cbb9` (listed again each time it opens, so
// that a unit plugged in later appears; a device path can be typed), the Open/Close button
// `btn8`, the password field `edt3` and the Log in button `btn1`. What the buttons do is
// the window's (btn8Click, btn1Click); the bar only shows and tells. The small button
// `btnTls` beside the port list takes the TLS files for a +tls:// port.
#pragma once

#include "link/port_address.h"
#include "link/port_discovery.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zc {

class Reporter;

class TopBar : public QWidget
{
    Q_OBJECT
public:
    // discoverPorts: list the system's ports (off in tests, which type a path).
    explicit TopBar(bool discoverPorts, QWidget *parent = nullptr);

    QPushButton *openButton() const { return m_btn8; }
    QPushButton *loginButton() const { return m_btn1; }
    QString password() const;
    // The path of the chosen port: a listed port's, or the typed text without blanks.
    QString chosenPortPath() const;
    // The TLS files chosen in this run (none at first).
    TlsFiles tlsFiles() const { return m_tls; }
    // Before the chosen port opens: a plain network port to another machine carries the
    // password unencrypted, so the user is asked first (Cancel is the default). False: do
    // not open.
    bool mayOpen(Reporter &reporter) const;
    // The Open button says Close while the port is open.
    void showPortOpen(bool open);
    // Lists the ports again, keeping a typed path.
    void fillPortList();

signals:
    void openClicked();
    // The Log in button, or Enter in the password field.
    void loginClicked();

private:
    void showPortStart();
    void chooseTlsFiles();

    QComboBox *m_cbb9 = nullptr;
    QPushButton *m_btn8 = nullptr;
    QLineEdit *m_edt3 = nullptr;
    QPushButton *m_btn1 = nullptr;
    QList<PortEntry> m_ports;
    TlsFiles m_tls;
};

} // namespace zc

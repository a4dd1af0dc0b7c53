// The TLS files for a socket+tls:// or rfc2217+tls:// port, next to the port box: the
// certificate authority the server's certificate must be signed by, and a client certificate
// with its key. Nothing is stored between runs. The dialog and its file pickers open without
// a modal loop of their own, so nothing waits on them.
#pragma once

#include "link/port_address.h"

#include <QDialog>

class QGridLayout;
class QLineEdit;

namespace zc {

class TlsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TlsDialog(const TlsFiles &files, QWidget *parent = nullptr);
    TlsFiles files() const;

private:
    QLineEdit *addRow(const char *name, const QString &label, const QString &value, const QString &tip);

    QGridLayout *m_grid = nullptr;
    QLineEdit *m_ca = nullptr;
    QLineEdit *m_cert = nullptr;
    QLineEdit *m_key = nullptr;
};

} // namespace zc

#include "ui/tls_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zc {

TlsDialog::TlsDialog(const TlsFiles &files, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgTls"));
    setWindowTitle(tr("TLS certificates"));
    auto *column = new QVBoxLayout(this);
    auto *intro =
        new QLabel(tr("For a socket+tls:// or rfc2217+tls:// port. Without a certificate authority, "
                      "the system's certificate store is used."),
                   this);
    intro->setWordWrap(true);
    column->addWidget(intro);
    m_grid = new QGridLayout;
    column->addLayout(m_grid);
    m_ca = addRow("edtTlsCa", tr("Certificate authority:"), files.ca,
                  tr("The authority (PEM) that signed the serial server's certificate; only it is trusted."));
    m_cert = addRow("edtTlsCert", tr("Client certificate:"), files.cert,
                    tr("The certificate (PEM) this computer presents, when the server asks for one."));
    m_key = addRow("edtTlsKey", tr("Client key:"), files.key,
                   tr("The unencrypted private key (PEM) of that certificate."));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

QLineEdit *TlsDialog::addRow(const char *name, const QString &label, const QString &value, const QString &tip)
{
    const int row = m_grid->rowCount();
    auto *edit = new QLineEdit(value, this);
    edit->setObjectName(QLatin1String(name));
    edit->setToolTip(tip);
    edit->setMinimumWidth(280);
    auto *browse = new QPushButton(tr("Choose…"), this);
    connect(browse, &QPushButton::clicked, this, [this, edit, label] {
        auto *picker =
            new QFileDialog(this, label, edit->text(), tr("PEM files (*.pem *.crt *.key);;All files (*)"));
        picker->setAttribute(Qt::WA_DeleteOnClose);
        picker->setFileMode(QFileDialog::ExistingFile);
        connect(picker, &QFileDialog::fileSelected, edit, &QLineEdit::setText);
        picker->open();
    });
    m_grid->addWidget(new QLabel(label, this), row, 0);
    m_grid->addWidget(edit, row, 1);
    m_grid->addWidget(browse, row, 2);
    return edit;
}

TlsFiles TlsDialog::files() const
{
    return {m_ca->text().trimmed(), m_cert->text().trimmed(), m_key->text().trimmed()};
}

} // namespace zc

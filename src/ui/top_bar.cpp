#include "ui/top_bar.h"

#include "ui/tls_dialog.h"
#include "ui/widget_placing.h"
#include "words/port_words.h"
#include "words/reporter.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

#include <functional>

namespace zc {

namespace {

// The port list, listed again each time it opens so that a unit plugged in later appears.
class PortBox : public QComboBox
{
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;

    void showPopup() override
    {
        if (beforePopup) beforePopup();
        // The field is narrow; its list is as wide as its longest entry.
        int widest = 0;
        for (int i = 0; i < count(); ++i)
            widest = qMax(widest, view()->fontMetrics().horizontalAdvance(itemText(i)));
        const int frame =
            2 * view()->frameWidth() + view()->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
        view()->setMinimumWidth(qMax(width(), widest + frame));
        QComboBox::showPopup();
    }
};

// Blanks and control characters at either end of a typed port name are dropped.
QString trimPortName(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 0x20)
        --e;
    return text.mid(b, e - b);
}

} // namespace

TopBar::TopBar(bool discoverPorts, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnl4"));
    setFixedHeight(36);

    QFont labelFont = font();
    labelFont.setPixelSize(12);
    QLabel *lbl3 = placeLabel(this, "lbl3", QStringLiteral("COM Port:"), {28 - 14, 13, 49 + 14, 13});
    lbl3->setFont(labelFont);
    lbl3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *ports = new PortBox(this);
    if (discoverPorts) ports->beforePopup = [this] { fillPortList(); };
    m_cbb9 = ports;
    m_cbb9->setObjectName(QStringLiteral("cbb9"));
    m_cbb9->setEditable(true);
    m_cbb9->setInsertPolicy(QComboBox::NoInsert);
    m_cbb9->setGeometry(85, 9, 89, 21);
    m_cbb9->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(m_cbb9, &QComboBox::currentIndexChanged, this, &TopBar::showPortStart);
    // The tooltip shows a typed path whole too.
    connect(m_cbb9, &QComboBox::editTextChanged, m_cbb9,
            [this](const QString &text) { m_cbb9->setToolTip(text); });

    auto *tls = new QToolButton(this);
    tls->setObjectName(QStringLiteral("btnTls"));
    tls->setText(QStringLiteral("…"));
    tls->setToolTip(tr("TLS certificates for a socket+tls:// or rfc2217+tls:// port"));
    tls->setGeometry(175, 9, 19, 21);
    connect(tls, &QToolButton::clicked, this, &TopBar::chooseTlsFiles);

    m_btn8 = placeButton(this, "btn8", QStringLiteral("Open"), {197, 4, 90, 30});
    QLabel *lbl4 = placeLabel(this, "lbl4", QStringLiteral("Password:"), {319 - 14, 12, 49 + 14, 13});
    lbl4->setFont(labelFont);
    lbl4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_edt3 = new QLineEdit(QStringLiteral("8530"), this);
    m_edt3->setObjectName(QStringLiteral("edt3"));
    m_edt3->setGeometry(373, 9, 93, 21);
    m_btn1 = placeButton(this, "btn1", QStringLiteral("Log in"), {485, 4, 90, 30});

    connect(m_btn8, &QPushButton::clicked, this, &TopBar::openClicked);
    connect(m_btn1, &QPushButton::clicked, this, &TopBar::loginClicked);
    connect(m_edt3, &QLineEdit::returnPressed, this, &TopBar::loginClicked);
    if (discoverPorts) fillPortList();
}

QString TopBar::password() const
{
    return m_edt3->text();
}

QString TopBar::chosenPortPath() const
{
    const QString typed = trimPortName(m_cbb9->currentText());
    for (const PortEntry &p : m_ports)
        if (portShown(p) == typed) return p.path;
    return typed;
}

bool TopBar::mayOpen(Reporter &reporter) const
{
    const PortAddress address = PortAddress::parse(chosenPortPath());
    if (!address.plaintextAcrossNetwork()) return true;
    return reporter.confirm(tr("%1 is not encrypted: logging in sends the unit's password across the network, "
                               "where anyone on the way can read it (a +tls:// port or an ssh tunnel "
                               "avoids that). Open it anyway?")
                                .arg(address.given),
                            Reporter::Prompt::Warning, Reporter::Default::Cancel);
}

void TopBar::chooseTlsFiles()
{
    auto *dialog = new TlsDialog(m_tls, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { m_tls = dialog->files(); });
    dialog->open();
}

void TopBar::showPortOpen(bool open)
{
    m_btn8->setText(open ? QStringLiteral("Close") : QStringLiteral("Open"));
}

void TopBar::fillPortList()
{
    // A listed port that is still there stays chosen, a typed path stays typed, and a port
    // that went away gives way to the first one listed.
    const QString shown = m_cbb9->currentText();
    const bool typed = !shown.isEmpty() && m_cbb9->findText(shown) < 0;
    m_ports = Trecognitionserial().discover();
    {
        const QSignalBlocker block(m_cbb9);
        m_cbb9->clear();
        for (const PortEntry &p : m_ports)
            m_cbb9->addItem(portShown(p), p.path);
        const int again = shown.isEmpty() ? -1 : m_cbb9->findText(shown);
        if (again >= 0)
            m_cbb9->setCurrentIndex(again);
        else if (typed)
            m_cbb9->setEditText(shown);
        else if (!m_ports.isEmpty())
            m_cbb9->setCurrentIndex(0);
    }
    showPortStart();
}

void TopBar::showPortStart()
{
    // The field is narrow: show the start of a chosen name, and the whole of it as a tip.
    if (QLineEdit *edit = m_cbb9->lineEdit()) edit->setCursorPosition(0);
    m_cbb9->setToolTip(m_cbb9->currentText());
}

} // namespace zc

#include "ui/settings_page.h"

#include "link/link_session.h"
#include "link/reporter.h"
#include "ui/settings_editor.h"

#include <QPushButton>

namespace zc {

QPushButton *placeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    return b;
}

SettingsPage::SettingsPage(LinkSession &session, Reporter &reporter, QWidget *parent)
    : QWidget(parent), m_session(session), m_reporter(reporter), m_basicInf(m_model)
{
    setObjectName(QStringLiteral("ts1"));
    session.attach(m_basicInf);

    auto *left = new QWidget(this);
    left->setObjectName(QStringLiteral("pnl_settings"));
    left->setGeometry(0, 0, 100, 585);
    QPushButton *btn21 = placeButton(left, "btn21", QStringLiteral("Read Settings"), {7, 47, 85, 31});
    QPushButton *btn22 = placeButton(left, "btn22", QStringLiteral("Save Settings"), {7, 113, 85, 31});
    QPushButton *btn16 = placeButton(left, "btn16", QStringLiteral("Import profile"), {7, 179, 85, 31});
    QPushButton *btn17 = placeButton(left, "btn17", QStringLiteral("Export profile"), {7, 246, 85, 31});
    m_editor = new SettingsEditor(&m_model, this);
    m_editor->setGeometry(100, 0, 876, 585);
    m_controls = {btn21, btn22, btn16, btn17};
    connect(btn21, &QPushButton::clicked, this, &SettingsPage::btn21Click);
    connect(btn22, &QPushButton::clicked, this, &SettingsPage::btn22Click);
}

void SettingsPage::btn21Click()
{
    if (m_session.refuseWhileBusy())
        return;
    if (!m_reporter.question(QStringLiteral("Read the GSM device basic parameters to PC software?")))
        return;
    m_basicInf.Read();
}

void SettingsPage::btn22Click()
{
    if (m_session.refuseWhileBusy())
        return;
    m_basicInf.Save();
}

} // namespace zc

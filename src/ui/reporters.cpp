#include "ui/reporters.h"

#include "link/rule_timer.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace zc {

void Tstatusbar_ctrl::SetStatusText(const QString &text)
{
    m_panel->setText(text);
    m_timer->startRule();
}

void Tprogressbar_ctrl::SetProgress(int value)
{
    if (value != 0)
        m_bar->show();
    m_bar->setValue(value);
    if (value == 100)
        m_bar->hide();
}

void WindowReporter::setStatus(const QString &text)
{
    m_status->SetStatusText(text);
    if (m_injected)
        m_injected->setStatus(text);
}

void WindowReporter::setStatusDirect(const QString &text)
{
    m_panel->setText(text);
    if (m_injected)
        m_injected->setStatusDirect(text);
}

void WindowReporter::setProgress(int value)
{
    m_progress->SetProgress(value);
    if (m_injected)
        m_injected->setProgress(value);
}

void WindowReporter::messageBox(const QString &text)
{
    if (m_injected)
        return m_injected->messageBox(text);
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, m_owner);
    box.exec();
}

void WindowReporter::messageDialog(const QString &text)
{
    if (m_injected)
        return m_injected->messageDialog(text);
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, m_owner);
    box.exec();
}

bool WindowReporter::question(const QString &text)
{
    if (m_injected)
        return m_injected->question(text);
    QMessageBox box(QMessageBox::Question, QString(), text, QMessageBox::NoButton, m_owner);
    QPushButton *yes = box.addButton(QStringLiteral("OK(&Y)"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("Cancel(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    if (const QScreen *screen = m_owner ? m_owner->screen() : QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        box.move(s.x() + (s.width() - 200) / 2, s.y() + (s.height() - 200) / 2);
    }
    box.exec();
    return box.clickedButton() == yes;
}

bool WindowReporter::warningOkCancel(const QString &text)
{
    if (m_injected)
        return m_injected->warningOkCancel(text);
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Ok | QMessageBox::Cancel, m_owner);
    return box.exec() == QMessageBox::Ok;
}

} // namespace zc

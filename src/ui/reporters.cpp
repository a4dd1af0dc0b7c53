#include "ui/reporters.h"

#include "link/rule_timer.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace zc {

namespace {

// The caption of the boxes that have none. An empty title would make the platform show
// the program's name in its place, so the title is one blank.
const QString kNoCaption = QStringLiteral(" ");

// A status text wider than its panel is shown whole as the panel's tooltip.
void tipIfCut(QLabel *panel, const QString &text)
{
    const bool cut = panel->fontMetrics().horizontalAdvance(text) > panel->contentsRect().width();
    panel->setToolTip(cut ? text : QString());
}

} // namespace

void Tstatusbar_ctrl::SetStatusText(const QString &text)
{
    m_panel->setText(text);
    m_timer->startRule();
}

void Tstatusbar_ctrl::SetLastingText(const QString &text)
{
    m_panel->setText(text);
    m_timer->stopRule();
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
    // The same text again (every chunk of a reply says "Data communication") only keeps the
    // clear timer going; measuring it for its tooltip again would cost for nothing.
    const bool same = text == m_panel->text();
    m_status->SetStatusText(text);
    if (!same) tipIfCut(m_panel, text);
    if (m_injected)
        m_injected->setStatus(text);
}

void WindowReporter::setStatusDirect(const QString &text)
{
    m_panel->setText(text);
    tipIfCut(m_panel, text);
    if (m_injected)
        m_injected->setStatusDirect(text);
}

void WindowReporter::setLastingStatus(const QString &text)
{
    m_status->SetLastingText(text);
    tipIfCut(m_panel, text);
    if (m_injected)
        m_injected->setLastingStatus(text);
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
    QMessageBox box(QMessageBox::NoIcon, kNoCaption, text, QMessageBox::Ok, m_owner);
    box.exec();
}

void WindowReporter::messageDialog(const QString &text)
{
    if (m_injected)
        return m_injected->messageDialog(text);
    // The one box titled with the program's name.
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, m_owner);
    box.exec();
}

bool WindowReporter::question(const QString &text)
{
    if (m_injected)
        return m_injected->question(text);
    QMessageBox box(QMessageBox::Question, kNoCaption, text, QMessageBox::NoButton, m_owner);
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
    QMessageBox box(QMessageBox::Warning, kNoCaption, text, QMessageBox::Ok | QMessageBox::Cancel, m_owner);
    return box.exec() == QMessageBox::Ok;
}

} // namespace zc

#include "ui/reporters.h"

#include "link/rule_timer.h"
#include "ui/deferred_paint.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <functional>
#include <utility>

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

// Runs a check just before the widget it watches shows its tooltip.
class BeforeTooltip : public QObject
{
public:
    BeforeTooltip(QWidget *widget, std::function<void()> check) : QObject(widget), m_check(std::move(check))
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip) m_check();
        return false;
    }

private:
    std::function<void()> m_check;
};

} // namespace

WindowReporter::WindowReporter(QWidget *owner, QLabel *statusPanel, Tstatusbar_ctrl *status,
                               Tprogressbar_ctrl *progress, Reporter *injected)
    : m_owner(owner), m_panel(statusPanel), m_status(status), m_progress(progress), m_injected(injected)
{
    // A transfer sets several status texts a page: whether the text is cut is measured when
    // the tooltip is wanted, not each time.
    m_tipCheck = new BeforeTooltip(m_panel, [this] {
        if (!m_tipStale) return;
        m_tipStale = false;
        tipIfCut(m_panel, m_status->Text());
    });
}

WindowReporter::~WindowReporter()
{
    delete m_tipCheck.data();
}

void Tstatusbar_ctrl::SetStatusText(const QString &text)
{
    show(text);
    m_timer->startRule();
}

void Tstatusbar_ctrl::SetLastingText(const QString &text)
{
    show(text);
    m_timer->stopRule();
}

void Tstatusbar_ctrl::SetDirectText(const QString &text)
{
    show(text);
}

void Tstatusbar_ctrl::show(const QString &text)
{
    if (m_holding) {
        m_pendingText = text;
        m_pending = true;
    } else {
        m_panel->setText(text);
    }
}

void Tstatusbar_ctrl::Hold(bool on)
{
    m_holding = on;
    if (on || !m_pending) return;
    m_pending = false;
    m_panel->setText(m_pendingText);
}

QString Tstatusbar_ctrl::Text() const
{
    return m_pending ? m_pendingText : m_panel->text();
}

void Tprogressbar_ctrl::SetProgress(int value)
{
    const int visible = value == 0 ? -1 : value != 100;
    if (!m_holding) return apply(value, visible);
    m_pending = true;
    m_pendingValue = value;
    if (visible >= 0) m_pendingVisible = visible;
}

void Tprogressbar_ctrl::Hold(bool on)
{
    m_holding = on;
    if (on || !m_pending) return;
    m_pending = false;
    apply(m_pendingValue, std::exchange(m_pendingVisible, -1));
}

void Tprogressbar_ctrl::apply(int value, int visible)
{
    if (visible == 1) m_bar->show();
    if (value != m_bar->value()) withDeferredPaint(m_bar, [&] { m_bar->setValue(value); });
    if (visible == 0) m_bar->hide();
}

// A modal box runs an event loop: what is held shows before it, and what is set while it is
// up shows at once.
class WindowReporter::ModalBox
{
public:
    explicit ModalBox(WindowReporter &r) : m_r(r), m_holds(r.m_holds)
    {
        if (m_holds > 0) r.holdControls(false);
        r.m_holds = 0;
    }
    ~ModalBox()
    {
        m_r.m_holds = m_holds;
        if (m_holds > 0) m_r.holdControls(true);
    }

private:
    WindowReporter &m_r;
    int m_holds;
};

void WindowReporter::setStatus(const QString &text)
{
    forgetSavedFile();
    if (text != m_status->Text()) m_tipStale = true;
    m_status->SetStatusText(text);
    if (m_injected) m_injected->setStatus(text);
}

void WindowReporter::holdStatus(bool hold)
{
    if (hold) {
        if (m_holds++ == 0) holdControls(true);
    } else if (m_holds > 0 && --m_holds == 0) {
        holdControls(false);
    }
}

void WindowReporter::holdControls(bool on)
{
    m_status->Hold(on);
    m_progress->Hold(on);
}

void WindowReporter::setStatusDirect(const QString &text)
{
    forgetSavedFile();
    m_status->SetDirectText(text);
    m_tipStale = true;
    if (m_injected) m_injected->setStatusDirect(text);
}

void WindowReporter::setLastingStatus(const QString &text)
{
    forgetSavedFile();
    m_status->SetLastingText(text);
    m_tipStale = true;
    // What an operation left behind is a sentence to read whole: the panel takes the width
    // the progress bar had until the next status text.
    if (!text.isEmpty() && m_wideWidth > 0) {
        m_panel->resize(m_wideWidth, m_panel->height());
        m_panel->raise();
        m_wideSentence = true;
    }
    if (m_injected) m_injected->setLastingStatus(text);
}

void WindowReporter::setProgress(int value)
{
    m_progress->SetProgress(value);
    if (m_injected) m_injected->setProgress(value);
}

void WindowReporter::messageBox(const QString &text)
{
    const ModalBox modal(*this);
    if (m_injected) return m_injected->messageBox(text);
    QMessageBox box(QMessageBox::NoIcon, kNoCaption, text, QMessageBox::Ok, m_owner);
    box.exec();
}

void WindowReporter::messageDialog(const QString &text)
{
    const ModalBox modal(*this);
    if (m_injected) return m_injected->messageDialog(text);
    // The one box titled with the program's name.
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, m_owner);
    box.exec();
}

bool WindowReporter::question(const QString &text)
{
    const ModalBox modal(*this);
    if (m_injected) return m_injected->question(text);
    return confirm(text, Prompt::Question, Default::Ok);
}

bool WindowReporter::warningOkCancel(const QString &text)
{
    const ModalBox modal(*this);
    if (m_injected) return m_injected->warningOkCancel(text);
    return confirm(text, Prompt::Warning, Default::Ok);
}

bool WindowReporter::confirm(const QString &text, Prompt kind, Default byDefault, const QString &details)
{
    const ModalBox modal(*this);
    if (m_injected) return m_injected->confirm(text, kind, byDefault, details);
    if (kind == Prompt::Warning) {
        QMessageBox box(QMessageBox::Warning, kNoCaption, text, QMessageBox::Ok | QMessageBox::Cancel,
                        m_owner);
        box.setDefaultButton(byDefault == Default::Cancel ? QMessageBox::Cancel : QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    }
    QMessageBox box(QMessageBox::Question, kNoCaption, text, QMessageBox::NoButton, m_owner);
    QPushButton *yes = box.addButton(QStringLiteral("OK(&Y)"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("Cancel(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(byDefault == Default::Cancel ? no : yes);
    box.setEscapeButton(no);
    if (!details.isEmpty()) box.setDetailedText(details);
    if (const QScreen *screen = m_owner ? m_owner->screen() : QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        box.move(s.x() + (s.width() - 200) / 2, s.y() + (s.height() - 200) / 2);
    }
    const QPointer<QMessageBox> outer = std::exchange(m_openQuestion, &box);
    box.exec();
    m_openQuestion = outer;
    return box.clickedButton() == yes;
}

bool WindowReporter::retextOpenQuestion(const QString &text)
{
    if (m_injected) return m_injected->retextOpenQuestion(text);
    if (!m_openQuestion) return false;
    m_openQuestion->setText(text);
    return true;
}

void WindowReporter::fileSaved(const QString &path)
{
    const QString text = QStringLiteral("Saved: ") + QDir::toNativeSeparators(path);
    m_status->SetStatusText(text); // starts the clear timer as any status does; it leaves this one
    m_savedFile = path;
    // The export is over: its progress bar gives way to the path.
    m_progress->SetProgress(100);
    if (m_wideWidth > 0) m_panel->resize(m_wideWidth, m_panel->height());
    m_panel->raise();
    m_panel->setCursor(Qt::PointingHandCursor);
    tipIfCut(m_panel, text);
    m_tipStale = false;
    m_panel->setToolTip((m_panel->toolTip().isEmpty() ? QString() : text + QLatin1Char('\n')) +
                        QStringLiteral("Click to open the folder"));
    if (m_injected) m_injected->fileSaved(path);
}

void WindowReporter::setPanelWidths(int normal, int wide)
{
    m_normalWidth = normal;
    m_wideWidth = wide;
    m_panel->resize(m_savedFile.isEmpty() && !m_wideSentence ? normal : wide, m_panel->height());
}

void WindowReporter::forgetSavedFile()
{
    if (m_wideSentence) {
        m_wideSentence = false;
        if (m_normalWidth > 0 && m_savedFile.isEmpty()) m_panel->resize(m_normalWidth, m_panel->height());
    }
    if (m_savedFile.isEmpty()) return;
    m_savedFile.clear();
    if (m_normalWidth > 0) m_panel->resize(m_normalWidth, m_panel->height());
    m_panel->unsetCursor();
    m_panel->setToolTip(QString());
}

bool confirmOverEdits(Reporter &reporter, const QString &question, bool unsavedEdits)
{
    if (!unsavedEdits) return question.isEmpty() || reporter.question(question);
    const QString lost =
        QStringLiteral("The changes on this page that were not saved to the unit will be lost.");
    return reporter.confirm(question.isEmpty() ? lost + QStringLiteral("\nGo on?")
                                               : question + QLatin1Char('\n') + lost,
                            Reporter::Prompt::Question, Reporter::Default::Cancel);
}

} // namespace zc

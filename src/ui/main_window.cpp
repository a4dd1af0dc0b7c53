#include "ui/main_window.h"

#include "words/area_words.h"
#include "words/link_words.h"
#include "words/port_words.h"

#include "link/paged_transfer.h"
#include "settings/settings_codec.h"
#include "ui/audit_watch.h"
#include "ui/cell_tips.h"
#include "ui/findings_bar.h"
#include "ui/help_page.h"
#include "ui/number_list_editor.h"
#include "ui/page_tabs.h"
#include "ui/page_undo.h"
#include "ui/settings_editor.h"
#include "ui/status_bar.h"
#include "ui/top_bar.h"
#include "ui/transfer_progress.h"
#include "ui/widget_placing.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace zc {

TForm1::TForm1(const Options &options, QWidget *parent)
    : QWidget(parent), m_options(options), m_tmr2(options.statusClearMs, this)
{
    FormCreate();
}

TForm1::~TForm1() = default;

QFont TForm1::windowFont()
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}

void TForm1::FormCreate()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zarvento Configurator V1.7"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);

    // Top bar, page area and status bar, one above the other. On a screen too small for the
    // window it shrinks to the screen (less room for the frame and title bar): the two bars
    // keep their height and only the page area gives way.
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("Form1_client"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_client);
    m_scroll = new QScrollArea(m_client);
    m_scroll->setObjectName(QStringLiteral("pageArea"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidgetResizable(true);
    QSize size(ClientWidth, ClientHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 40));
    setFixedSize(size);

    m_tmr2.setObjectName(QStringLiteral("tmr2"));
    m_tmr2.setTimerType(Qt::PreciseTimer);

    m_topBar = new TopBar(m_options.discoverPorts, m_client);
    connect(m_topBar, &TopBar::openClicked, this, &TForm1::btn8Click);
    connect(m_topBar, &TopBar::loginClicked, this, &TForm1::btn1Click);
    m_stat1 = new StatusBar(ClientWidth, m_client);
    QLabel *statusText = m_stat1->statusText();
    m_statusCtrl = std::make_unique<Tstatusbar_ctrl>(statusText, &m_tmr2);
    m_progressCtrl = std::make_unique<Tprogressbar_ctrl>(m_stat1->progressBar());
    m_reporter = std::make_unique<WindowReporter>(this, statusText, m_statusCtrl.get(), m_progressCtrl.get(),
                                                  m_options.dialogs);
    m_stat1->onPanelWidths = [this](int own, int wide) { m_reporter->setPanelWidths(own, wide); };
    // What the link reports is said in the window's words, through its reporter.
    m_linkWords = std::make_unique<LinkWords>(*m_reporter);
    m_session = std::make_unique<LinkSession>(m_linkWords.get(), m_options.replyTimeoutMs, this);
    // Page count and time left on pb1.
    m_progressText = new TransferProgressText(m_stat1->progressBar(), this);
    buildPages();
    m_btnStop = m_stat1->addStopButton();
    connect(m_btnStop, &QPushButton::clicked, this, &TForm1::btnStopClick);
    auto *column = new QVBoxLayout(m_client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    // On a screen narrower than the top bar (a small display at 2x scale) the bar scrolls
    // sideways, so that Log in stays within reach (the Tab key scrolls to it as well).
    m_topScroll = new QScrollArea(m_client);
    m_topScroll->setObjectName(QStringLiteral("topArea"));
    m_topScroll->setFrameShape(QFrame::NoFrame);
    m_topScroll->setFocusPolicy(Qt::NoFocus);
    m_topScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_topScroll->setWidgetResizable(true);
    m_topBar->setMinimumWidth(m_topBar->childrenRect().right() + 8);
    m_topScroll->setWidget(m_topBar);
    m_topScroll->installEventFilter(this);
    fitTopBar();
    column->addWidget(m_topScroll);
    column->addWidget(m_scroll, 1);
    column->addWidget(m_stat1);
    m_scroll->setWidget(m_pgc1);
    fitPageArea();
    statusText->installEventFilter(this);

    // Centre on the screen: the window's height plus 40 leaves room for a panel.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height() - 40) / 2);
    }

    setDeviceControlsEnabled(false);
    connect(&m_session->login(), &Tpasswordverify::done, this, [this](const Outcome &outcome) {
        if (outcome.completed()) loginCheck(m_session->login().reply);
    });

    auto *undo = new QShortcut(QKeySequence::Undo, this);
    connect(undo, &QShortcut::activated, this, &TForm1::undoPage);
    // Redo answers both keys users know from other programs, whatever the desktop binds.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence &k :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        if (!redoKeys.contains(k)) redoKeys << k;
    auto *redo = new QShortcut(this);
    redo->setKeys(redoKeys);
    connect(redo, &QShortcut::activated, this, &TForm1::redoPage);
    buildShortcuts();

    m_stat1->portPanel()->setText(QStringLiteral("COM Port:"));

    connect(m_session.get(), &LinkSession::portLost, this, &TForm1::cm1RequestHangup);
    connect(&m_tmr2, &QTimer::timeout, this, &TForm1::tmr2Timer);
    m_tmr2.startRule();
}

void TForm1::buildPages()
{
    auto *pages = new PageControl;
    m_pgc1 = pages;
    m_tabs = pages->tabs();
    m_pgc1->setObjectName(QStringLiteral("pgc1"));
    m_pgc1->setTabPosition(QTabWidget::West);
    m_pgc1->setDocumentMode(true);

    auto page = [this](const char *name, const QString &caption) {
        auto *w = new QWidget;
        w->setObjectName(QString::fromLatin1(name));
        m_pgc1->addTab(w, caption);
        return w;
    };

    // Basic settings
    m_settingsPage = new SettingsPage(*m_session, *m_reporter, m_options.files, m_options.now);
    m_pgc1->addTab(m_settingsPage, QString());

    m_numberListPage = new NumberListPage(*m_session, *m_reporter, m_options.files, m_options.now);
    m_pgc1->addTab(m_numberListPage, QStringLiteral("Telephone"));
    m_historyPage = new HistoryPage(*m_session, *m_reporter, m_options.files, m_options.now);
    m_pgc1->addTab(m_historyPage, QStringLiteral("History"));

    // Help
    QWidget *ts4 = page("ts4", QStringLiteral("Help"));
    // Pages laid out at fixed places keep their size; the others shrink to the page area.
    m_settingsPage->setMinimumSize(976, 585);
    ts4->setMinimumSize(63 + 761 + 8, 39 + 521 + 4);
    auto *frame = new QFrame(ts4);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(63, 39, 761, 521);
    auto *picture = new HelpPicture(frame);
    picture->setGeometry(1, 1, 759, 505);

    m_devicePages = {m_settingsPage, m_numberListPage, m_historyPage};
    for (DevicePage *p : std::as_const(m_devicePages)) {
        m_deviceControls += p->deviceControls();
        followTransfer(p);
    }

    WholeTextTips::install(m_historyPage->grid());
    // The audit's findings above each page's grid, after a read.
    new AuditWatch(*m_settingsPage, *m_numberListPage, *m_historyPage, m_options.now, this);

    m_pgc1->setCurrentIndex(0);
    connect(m_pgc1, &QTabWidget::currentChanged, this, &TForm1::pgc1Change);
    connect(m_pgc1, &QTabWidget::currentChanged, this, &TForm1::fitPageArea);
}

void TForm1::fitPageArea()
{
    QWidget *page = m_pgc1->currentWidget();
    if (!page) return;
    const QSize need = page->minimumSize().expandedTo(page->minimumSizeHint());
    m_pgc1->setMinimumSize(need.width() + m_tabs->sizeHint().width(), need.height());
}

void TForm1::fitTopBar()
{
    const bool narrow = m_topScroll->width() < m_topBar->minimumWidth();
    const int bar = narrow ? m_topScroll->horizontalScrollBar()->sizeHint().height() : 0;
    m_topScroll->setFixedHeight(m_topBar->height() + bar);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_topScroll && event->type() == QEvent::Resize) fitTopBar();
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent *>(event)->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_E)) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this) {
            event->ignore(); // the window's shortcut takes the key
            return true;
        }
    }
    if (watched == m_stat1->statusText() && event->type() == QEvent::MouseButtonRelease &&
        !m_reporter->savedFile().isEmpty()) {
        const QString folder = QFileInfo(m_reporter->savedFile()).absolutePath();
        if (m_options.openFolder)
            m_options.openFolder(folder);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::buildShortcuts()
{
    const QKeySequence keys[DevicePage::KeyCount] = {
        QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_E)};
    for (int i = 0; i < DevicePage::KeyCount; ++i) {
        connect(new QShortcut(keys[i], this), &QShortcut::activated, this,
                [this, i] { pressPageKey(DevicePage::Key(i)); });
        // The key is named in the tooltip of each button it presses.
        for (const DevicePage *page : std::as_const(m_devicePages))
            if (QPushButton *b = page->keyButton(DevicePage::Key(i))) {
                const QString tip = b->toolTip().isEmpty() ? b->text() : b->toolTip();
                b->setToolTip(tip + QStringLiteral(" (%1)").arg(keys[i].toString(QKeySequence::NativeText)));
            }
    }
    // A text field would take Ctrl+E for itself (the end of its line); in this window it exports.
    qApp->installEventFilter(this);
}

void TForm1::pressPageKey(DevicePage::Key key)
{
    for (DevicePage *page : std::as_const(m_devicePages)) {
        QPushButton *b = page->keyButton(key);
        if (page->pageWidget() != m_pgc1->currentWidget() || !b || !b->isEnabled()) continue;
        // As a click would: a cell editor still open gives its text to the table first.
        b->setFocus(Qt::ShortcutFocusReason);
        b->click();
    }
}

void TForm1::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        m_stat1->showLamp(m_portOpen);
        // The grid takes the first focus: a pick list that had it would write its entry
        // into its cell when the user clicks elsewhere.
        m_settingsPage->editor()->grid()->setFocus();
    }
    QWidget::showEvent(event);
}

void TForm1::setDeviceControlsEnabled(bool enabled)
{
    for (QPushButton *b : std::as_const(m_deviceControls))
        b->setEnabled(enabled);
}

void TForm1::btn8Click()
{
    if (m_portOpen) {
        m_session->close();
        showPortOpen(false);
        return;
    }
    if (!m_topBar->mayOpen(*m_reporter)) return;
    m_session->comm().SetTlsFiles(m_topBar->tlsFiles());
    try {
        m_session->open(m_topBar->chosenPortPath());
    } catch (const ECommsError &e) {
        QString text = QStringLiteral("COM Port error");
        const QString advice = portAdvice(e);
        if (!advice.isEmpty()) text += QLatin1Char('\n') + advice;
        showPortOpen(false);
        m_reporter->messageBox(text);
        return;
    }
    showPortOpen(true);
}

void TForm1::showPortOpen(bool open)
{
    m_portOpen = open;
    m_topBar->showPortOpen(open);
    m_stat1->showLamp(open);
}

void TForm1::btn1Click()
{
    if (m_session->refuseDeviceAction()) return;
    m_session->login().Start(m_session->context());
}

void TForm1::loginCheck(const TRecValidCom &reply)
{
    const bool ok =
        m_session->login().Check(SettingsCodec::devicePassword(reply.data.data()), m_topBar->password());
    if (ok) {
        m_reporter->messageBox(QStringLiteral("Password confirmed!"));
        setDeviceControlsEnabled(true);
    } else {
        m_reporter->messageBox(QStringLiteral("Password Error!"));
        setDeviceControlsEnabled(false);
    }
}

void TForm1::btn21Click()
{
    m_settingsPage->btn21Click();
}

void TForm1::btn22Click()
{
    m_settingsPage->btn22Click();
}

void TForm1::btn23Click()
{
    m_historyPage->btn23Click();
}

void TForm1::tmr2Timer()
{
    // A saved file's path stays until the next status text.
    if (m_reporter->savedFile().isEmpty()) m_reporter->setStatus(QString());
    m_reporter->setProgress(100);
    m_tmr2.stopRule();
}

void TForm1::cm1RequestHangup()
{
    // The link session has closed the port and told the user; the window follows.
    showPortOpen(false);
}

void TForm1::pgc1Change(int)
{
    // The tab bar repaints itself: the active tab is drawn bold and blue.
    m_tabs->update();
}

void TForm1::btnStopClick()
{
    m_session->stop();
}

void TForm1::followTransfer(DevicePage *page)
{
    Tsend_rec_command &t = page->transfer();
    const auto update = [this] { m_btnStop->setEnabled(m_session->transferActive()); };
    connect(&t, &Tsend_rec_command::started, this, update);
    connect(&t, &Tsend_rec_command::done, this, update);
    m_progressText->follow(t);
}

PageUndo *TForm1::pageUndo()
{
    for (DevicePage *page : std::as_const(m_devicePages))
        if (page->pageWidget() == m_pgc1->currentWidget()) {
            // A transfer writing into the table, or saving it page by page, keeps it as it is.
            if (page->refuseWhileTransferring(*m_reporter)) return nullptr;
            page->commitEdits();
            return page->undo();
        }
    return nullptr;
}

void TForm1::undoPage()
{
    if (PageUndo *undo = pageUndo()) undo->stack()->undo();
}

void TForm1::redoPage()
{
    if (PageUndo *undo = pageUndo()) undo->stack()->redo();
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    // Escape that no editor took stops a running transfer or an outstanding request.
    if (event->key() == Qt::Key_Escape && (m_session->transferActive() || m_session->busy())) {
        btnStopClick();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString TForm1::closeQuestion()
{
    // The words hold for as long as the operation runs: they name no page count that the
    // next reply would make untrue.
    QStringList parts;
    if (m_session->transferActive() || m_session->busy()) {
        QString running = LinkWords::running(m_session->handler().outstandingOperation()) +
                          QStringLiteral(". Closing the window stops it.");
        for (DevicePage *page : std::as_const(m_devicePages)) {
            const Tsend_rec_command &t = page->transfer();
            if (!t.active()) continue;
            running = t.writing()
                          ? QStringLiteral("A save of the %1 is running. Closing the window stops it: on "
                                           "the unit the pages saved until then hold this table, the "
                                           "pages after them what they held before; save the %1 again to "
                                           "make it whole.")
                                .arg(areaName(t.area()))
                          : QStringLiteral("A read of the %1 is running. Closing the window stops it; "
                                           "the unit keeps its data.")
                                .arg(areaName(t.area()));
        }
        parts << running;
    }
    QStringList changed;
    for (DevicePage *page : std::as_const(m_devicePages)) {
        page->commitEdits();
        if (page->hasUnsavedChanges()) changed << QStringLiteral("the ") + areaName(page->transfer().area());
    }
    if (!changed.isEmpty()) {
        QString who = changed.join(QStringLiteral(" and "));
        who[0] = who[0].toUpper();
        parts << QStringLiteral(
                     "%1 %2 changes that were not saved to the unit; closing the window loses them.")
                     .arg(who, changed.size() == 1 && !who.endsWith(u's') ? QStringLiteral("holds")
                                                                          : QStringLiteral("hold"));
    }
    if (parts.isEmpty()) return {};
    return parts.join(QLatin1Char('\n')) + QStringLiteral("\nClose the window anyway?");
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // One question covers what runs on the unit and the edits not saved. While it is open the
    // transfer goes on: when it has ended by the answer, or the edits were saved, what the
    // question said no longer holds and the new state is asked about (or, with nothing left
    // at stake, the window closes).
    QString answered;
    for (;;) {
        const QString question = closeQuestion();
        if (question.isEmpty() || question == answered) break;
        // A transfer that starts or ends while the question is open changes its words at once
        // where the question box allows it.
        QString shown = question;
        QList<QMetaObject::Connection> watching;
        const auto retext = [this, &shown] {
            QString now = closeQuestion();
            if (now.isEmpty())
                now = QStringLiteral(
                    "Nothing runs on the unit now and nothing is left unsaved.\nClose the window?");
            if (m_reporter->retextOpenQuestion(now)) shown = now;
        };
        for (DevicePage *page : std::as_const(m_devicePages)) {
            watching << connect(&page->transfer(), &Tsend_rec_command::started, this, retext);
            watching << connect(&page->transfer(), &Tsend_rec_command::done, this, retext);
        }
        const bool ok = m_reporter->confirm(question, Reporter::Prompt::Question, Reporter::Default::Cancel);
        for (const QMetaObject::Connection &c : std::as_const(watching))
            disconnect(c);
        if (!ok) {
            // Nothing was stopped: the window stays as it was.
            event->ignore();
            return;
        }
        answered = closeQuestion().isEmpty() ? QString() : shown;
        if (answered.isEmpty()) break;
    }
    // Only now, with the window going, does whatever runs on the unit stop.
    m_session->abandonAll();
    QWidget::closeEvent(event);
}

bool TForm1::holdsUnsavedChanges() const
{
    return std::any_of(m_devicePages.cbegin(), m_devicePages.cend(),
                       [](const DevicePage *page) { return page->hasUnsavedChanges(); });
}

} // namespace zc

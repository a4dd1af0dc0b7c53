#include "ui/main_window.h"

#include "link/paged_transfer.h"
#include "settings/settings_codec.h"
#include "ui/cell_tips.h"
#include "ui/help_page.h"
#include "ui/number_list_editor.h"
#include "ui/page_tabs.h"
#include "ui/page_undo.h"
#include "ui/settings_editor.h"
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
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace zc {

namespace {

QPixmap lampPixmap(const QColor &colour)
{
    QPixmap pm(17, 17);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(0, 0, 17, 17));
    return pm;
}

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

constexpr int kStopWidth = 60;

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

    buildTopBar();
    buildStatusBar();
    m_statusCtrl = std::make_unique<Tstatusbar_ctrl>(m_statusText, &m_tmr2);
    m_progressCtrl = std::make_unique<Tprogressbar_ctrl>(m_pb1);
    m_reporter = std::make_unique<WindowReporter>(this, m_statusText, m_statusCtrl.get(),
                                                  m_progressCtrl.get(), m_options.dialogs);
    m_session = std::make_unique<LinkSession>(*m_reporter, m_options.replyTimeoutMs, this);
    m_progressText = new TransferProgressText(m_pb1, this); // page count and time left on pb1
    buildPages();
    buildStopButton();
    auto *column = new QVBoxLayout(m_client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_pnl4);
    column->addWidget(m_scroll, 1);
    column->addWidget(m_stat1);
    m_scroll->setWidget(m_pgc1);
    fitPageArea();
    m_stat1->installEventFilter(this);
    m_statusText->installEventFilter(this);
    layoutStatusBar();

    // Centre on the screen: the window's height plus 40 leaves room for a panel.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height() - 40) / 2);
    }

    setDeviceControlsEnabled(false);
    connect(&m_session->handler(), &ReplyHandler::loginReply, this, &TForm1::loginCheck);

    if (m_options.discoverPorts) fillPortList();

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

    m_statusPanel0->setText(QStringLiteral("COM Port:"));

    connect(m_session.get(), &LinkSession::portLost, this, &TForm1::cm1RequestHangup);
    connect(&m_tmr2, &QTimer::timeout, this, &TForm1::tmr2Timer);
    m_tmr2.startRule();
}

void TForm1::buildTopBar()
{
    m_pnl4 = new QWidget(m_client);
    m_pnl4->setObjectName(QStringLiteral("pnl4"));
    m_pnl4->setFixedHeight(36);

    QFont labelFont = font();
    labelFont.setPixelSize(12);
    QLabel *lbl3 = placeLabel(m_pnl4, "lbl3", QStringLiteral("COM Port:"), {28 - 14, 13, 49 + 14, 13});
    lbl3->setFont(labelFont);
    lbl3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *ports = new PortBox(m_pnl4);
    if (m_options.discoverPorts) ports->beforePopup = [this] { fillPortList(); };
    m_cbb9 = ports;
    m_cbb9->setObjectName(QStringLiteral("cbb9"));
    m_cbb9->setEditable(true);
    m_cbb9->setInsertPolicy(QComboBox::NoInsert);
    m_cbb9->setGeometry(85, 9, 89, 21);
    m_cbb9->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(m_cbb9, &QComboBox::currentIndexChanged, this, &TForm1::showPortStart);
    // The tooltip shows a typed path whole too.
    connect(m_cbb9, &QComboBox::editTextChanged, m_cbb9,
            [this](const QString &text) { m_cbb9->setToolTip(text); });

    m_btn8 = placeButton(m_pnl4, "btn8", QStringLiteral("Open"), {197, 4, 90, 30});
    QLabel *lbl4 = placeLabel(m_pnl4, "lbl4", QStringLiteral("Password:"), {319 - 14, 12, 49 + 14, 13});
    lbl4->setFont(labelFont);
    lbl4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_edt3 = new QLineEdit(QStringLiteral("8530"), m_pnl4);
    m_edt3->setObjectName(QStringLiteral("edt3"));
    m_edt3->setGeometry(373, 9, 93, 21);
    m_btn1 = placeButton(m_pnl4, "btn1", QStringLiteral("Log in"), {485, 4, 90, 30});

    connect(m_btn8, &QPushButton::clicked, this, &TForm1::btn8Click);
    connect(m_btn1, &QPushButton::clicked, this, &TForm1::btn1Click);
    // Enter in the password field logs in.
    connect(m_edt3, &QLineEdit::returnPressed, this, &TForm1::btn1Click);
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

    m_pgc1->setCurrentIndex(0);
    connect(m_pgc1, &QTabWidget::currentChanged, this, &TForm1::pgc1Change);
    connect(m_pgc1, &QTabWidget::currentChanged, this, &TForm1::fitPageArea);
}

void TForm1::buildStatusBar()
{
    m_stat1 = new QWidget(m_client);
    m_stat1->setObjectName(QStringLiteral("stat1"));
    m_stat1->setFixedHeight(24);

    auto panelFrame = [this](int x, int w) {
        auto *f = new QFrame(m_stat1);
        f->setFrameShape(QFrame::Panel);
        f->setFrameShadow(QFrame::Sunken);
        f->setGeometry(x, 0, w, 24);
        return f;
    };
    panelFrame(0, 100);
    m_statusPanel0 = new QLabel(m_stat1);
    m_statusPanel0->setObjectName(QStringLiteral("stat1_panel0"));
    m_statusPanel0->setGeometry(0, 0, 100, 24);
    m_statusPanel0->setAlignment(Qt::AlignCenter);

    panelFrame(100, 50);
    m_img1 = new QLabel(m_stat1);
    m_img1->setObjectName(QStringLiteral("img1"));
    m_img1->setPixmap(lampPixmap(QColor(255, 0, 0)));
    m_img2 = new QLabel(m_stat1);
    m_img2->setObjectName(QStringLiteral("img2"));
    m_img2->setPixmap(lampPixmap(QColor(0, 255, 0)));
    for (QLabel *img : {m_img1, m_img2})
        img->setGeometry(100 + 15, 2 + 1, 17, 17);

    panelFrame(150, 200);
    m_statusText = new QLabel(m_stat1);
    m_statusText->setObjectName(QStringLiteral("stat1_status"));
    m_statusText->setGeometry(154, 0, 194, 24);

    // The progress bar's panel leaves room for the Stop button at the right end.
    m_pbPanel = panelFrame(350, ClientWidth - 350 - kStopWidth - 4);
    m_pb1 = new QProgressBar(m_stat1);
    m_pb1->setObjectName(QStringLiteral("pb1"));
    m_pb1->setRange(0, 100);
    m_pb1->setValue(0);
    m_pb1->setTextVisible(false);
    m_pb1->setGeometry(350, 0, ClientWidth - 350 - kStopWidth - 4 - 15, 24);
    showLamp(false);
}

// Made after the pages, so it comes last in the Tab order.
void TForm1::buildStopButton()
{
    m_btnStop = placeButton(m_stat1, "btn_stop", QStringLiteral("Stop"),
                            {ClientWidth - kStopWidth - 2, 1, kStopWidth, 22});
    m_btnStop->setToolTip(QStringLiteral("Stop the running transfer after the page on its way (Esc)"));
    m_btnStop->setEnabled(false);
    connect(m_btnStop, &QPushButton::clicked, this, &TForm1::btnStopClick);
}

void TForm1::fitPageArea()
{
    QWidget *page = m_pgc1->currentWidget();
    if (!page) return;
    const QSize need = page->minimumSize().expandedTo(page->minimumSizeHint());
    m_pgc1->setMinimumSize(need.width() + m_tabs->sizeHint().width(), need.height());
}

// The progress panel reaches to the Stop button at the right end, whatever the width; a
// saved file's path may use the progress panel's room too.
void TForm1::layoutStatusBar()
{
    const int w = m_stat1->width();
    const int panel = qMax(40, w - 350 - kStopWidth - 4);
    m_pbPanel->setGeometry(350, 0, panel, 24);
    m_pb1->setGeometry(350, 0, panel - 15, 24);
    if (m_btnStop) m_btnStop->move(w - kStopWidth - 2, 1);
    m_reporter->setPanelWidths(194, qMax(194, w - 154 - kStopWidth - 8));
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent *>(event)->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_E)) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this) {
            event->ignore(); // the window's shortcut takes the key
            return true;
        }
    }
    if (watched == m_stat1 && event->type() == QEvent::Resize) layoutStatusBar();
    if (watched == m_statusText && event->type() == QEvent::MouseButtonRelease &&
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

namespace {
// The buttons F5, Ctrl+S and Ctrl+E press on each page ("" where a page has none).
struct PageKeys
{
    const char *page;
    const char *buttons[3];
};
constexpr PageKeys kPageKeys[] = {
    {"ts1", {"btn21", "btn22", "btn17"}},
    {"ts2", {"btn10", "btn9", "btn15"}},
    {"ts3", {"btn19", "", "btn13"}},
};
const char *const kKeyNames[3] = {"F5", "Ctrl+S", "Ctrl+E"};
} // namespace

void TForm1::buildShortcuts()
{
    const QKeySequence keys[3] = {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_S),
                                  QKeySequence(Qt::CTRL | Qt::Key_E)};
    void (TForm1::*const handlers[3])() = {&TForm1::readPage, &TForm1::savePage, &TForm1::exportPage};
    for (int i = 0; i < 3; ++i)
        connect(new QShortcut(keys[i], this), &QShortcut::activated, this, handlers[i]);
    // A text field would take Ctrl+E for itself (the end of its line); in this window it exports.
    qApp->installEventFilter(this);
    // The key is named in the tooltip of the button it presses.
    for (const PageKeys &k : kPageKeys)
        for (int i = 0; i < 3; ++i)
            if (auto *b = findChild<QPushButton *>(QString::fromLatin1(k.buttons[i])); b && *k.buttons[i]) {
                const QString tip = b->toolTip().isEmpty() ? b->text() : b->toolTip();
                b->setToolTip(tip + QStringLiteral(" (%1)").arg(QLatin1String(kKeyNames[i])));
            }
}

void TForm1::clickPageButton(int which)
{
    const QString page = m_pgc1->currentWidget() ? m_pgc1->currentWidget()->objectName() : QString();
    for (const PageKeys &k : kPageKeys)
        if (page == QLatin1String(k.page) && *k.buttons[which])
            if (auto *b =
                    m_pgc1->currentWidget()->findChild<QPushButton *>(QString::fromLatin1(k.buttons[which])))
                if (b->isEnabled()) { // disabled before the login
                    // As a click would: a cell editor still open gives its text to the table first.
                    b->setFocus(Qt::ShortcutFocusReason);
                    b->click();
                }
}

void TForm1::readPage()
{
    clickPageButton(0);
}

void TForm1::savePage()
{
    clickPageButton(1);
}

void TForm1::exportPage()
{
    clickPageButton(2);
}

void TForm1::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        showLamp(m_portOpen);
        // The grid takes the first focus: a pick list that had it would write its entry
        // into its cell when the user clicks elsewhere.
        m_settingsPage->editor()->grid()->setFocus();
    }
    QWidget::showEvent(event);
}

void TForm1::showLamp(bool open)
{
    // Both lamps lie at one place; the one in front is seen.
    (open ? m_img2 : m_img1)->raise();
    m_img1->setVisible(!open);
    m_img2->setVisible(open);
}

void TForm1::fillPortList()
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
            m_cbb9->addItem(p.display, p.path);
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

void TForm1::showPortStart()
{
    // The field is narrow: show the start of a chosen name, and the whole of it as a tip.
    if (QLineEdit *edit = m_cbb9->lineEdit()) edit->setCursorPosition(0);
    m_cbb9->setToolTip(m_cbb9->currentText());
}

void TForm1::setDeviceControlsEnabled(bool enabled)
{
    for (QPushButton *b : std::as_const(m_deviceControls))
        b->setEnabled(enabled);
}

QString TForm1::chosenPortPath() const
{
    const QString typed = trimPortName(m_cbb9->currentText());
    for (const PortEntry &p : m_ports)
        if (p.display == typed) return p.path;
    return typed;
}

void TForm1::btn8Click()
{
    if (m_portOpen) {
        m_portOpen = false;
        m_btn8->setText(QStringLiteral("Open"));
        m_session->close();
        showLamp(false);
        return;
    }
    try {
        m_session->open(chosenPortPath());
    } catch (const ECommsError &e) {
        QString text = QStringLiteral("COM Port error");
        if (!e.reason().isEmpty()) text += QLatin1Char('\n') + e.reason();
        m_btn8->setText(QStringLiteral("Open"));
        showLamp(false);
        m_reporter->messageBox(text);
        return;
    }
    m_portOpen = true;
    m_btn8->setText(QStringLiteral("Close"));
    showLamp(true);
}

void TForm1::btn1Click()
{
    if (m_session->refuseDeviceAction()) return;
    m_session->login().Start(m_session->context());
}

void TForm1::loginCheck(const TRecValidCom &reply)
{
    const bool ok =
        m_session->login().Check(SettingsCodec::devicePassword(reply.data.data()), m_edt3->text());
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

void TForm1::cm1RequestHangup(const QString &)
{
    // The link session has closed the port and told the user; the window follows.
    m_portOpen = false;
    m_btn8->setText(QStringLiteral("Open"));
    showLamp(false);
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
    connect(&t, &Tsend_rec_command::finished, this, update);
    connect(&t, &Tsend_rec_command::ended, this, update);
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

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closing stops whatever runs on the unit: say what, and what the unit then holds.
    if (m_session->transferActive() || m_session->busy()) {
        QString text = m_session->handler().outstandingText() + QLatin1Char('.');
        for (DevicePage *page : std::as_const(m_devicePages)) {
            const Tsend_rec_command &t = page->transfer();
            if (!t.active()) continue;
            static const char *const kAreas[] = {"settings", "number list", "history"};
            const QString area = QString::fromLatin1(kAreas[int(t.area())]);
            text = t.writing()
                       ? QStringLiteral("A save of the %1 is running.\nIf the window closes now: %2")
                             .arg(area, t.leftBehind(true))
                       : QStringLiteral("A read of the %1 is running; the unit keeps its data.").arg(area);
        }
        if (!m_reporter->confirm(text + QStringLiteral("\nClose the window anyway?"),
                                 Reporter::Prompt::Question, Reporter::Default::Cancel)) {
            event->ignore();
            return;
        }
        m_session->abandonAll();
    }
    for (DevicePage *page : std::as_const(m_devicePages))
        page->commitEdits();
    const bool changed = std::any_of(m_devicePages.cbegin(), m_devicePages.cend(),
                                     [](const DevicePage *page) { return page->hasUnsavedChanges(); });
    if (changed &&
        !m_reporter->confirm(QStringLiteral("The settings or the number list hold changes that were "
                                            "not saved to the unit.\nClose the window and lose them?"),
                             Reporter::Prompt::Question, Reporter::Default::Cancel)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace zc

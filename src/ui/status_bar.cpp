#include "ui/status_bar.h"

#include "ui/widget_placing.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

namespace zc {

namespace {

constexpr int kStopWidth = 60;

QPixmap lampPixmap(const QColor &colour)
{
    QPixmap pm(17, 17);
    pm.fill(Qt::transparent); // the panel shows round the disc, light or dark
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(0, 0, 17, 17));
    return pm;
}

} // namespace

StatusBar::StatusBar(int width, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("stat1"));
    setFixedHeight(24);

    auto panelFrame = [this](int x, int w) {
        auto *f = new QFrame(this);
        f->setFrameShape(QFrame::Panel);
        f->setFrameShadow(QFrame::Sunken);
        f->setGeometry(x, 0, w, 24);
        return f;
    };
    panelFrame(0, 100);
    m_panel0 = new QLabel(this);
    m_panel0->setObjectName(QStringLiteral("stat1_panel0"));
    m_panel0->setGeometry(0, 0, 100, 24);
    m_panel0->setAlignment(Qt::AlignCenter);

    panelFrame(100, 50);
    m_img1 = new QLabel(this);
    m_img1->setObjectName(QStringLiteral("img1"));
    m_img1->setPixmap(lampPixmap(QColor(255, 0, 0)));
    m_img2 = new QLabel(this);
    m_img2->setObjectName(QStringLiteral("img2"));
    m_img2->setPixmap(lampPixmap(QColor(0, 255, 0)));
    for (QLabel *img : {m_img1, m_img2})
        img->setGeometry(100 + 15, 2 + 1, 17, 17);

    m_statusPanel = panelFrame(150, 200);
    m_statusText = new QLabel(this);
    m_statusText->setObjectName(QStringLiteral("stat1_status"));
    m_statusText->setGeometry(154, 0, 194, 24);
    m_statusText->installEventFilter(this);

    // The progress bar's panel leaves room for the Stop button at the right end.
    m_pbPanel = panelFrame(350, width - 350 - kStopWidth - 4);
    m_pb1 = new QProgressBar(this);
    m_pb1->setObjectName(QStringLiteral("pb1"));
    m_pb1->setRange(0, 100);
    m_pb1->setValue(0);
    m_pb1->setTextVisible(false);
    m_pb1->setGeometry(350, 0, width - 350 - kStopWidth - 4 - 15, 24);
    showLamp(false);
}

QPushButton *StatusBar::addStopButton()
{
    m_btnStop =
        placeButton(this, "btn_stop", QStringLiteral("Stop"), {width() - kStopWidth - 2, 1, kStopWidth, 22});
    m_btnStop->setToolTip(QStringLiteral("Stop the running transfer at once (Esc)"));
    m_btnStop->setEnabled(false);
    layOut();
    return m_btnStop;
}

void StatusBar::showLamp(bool open)
{
    (open ? m_img2 : m_img1)->raise();
    m_img1->setVisible(!open);
    m_img2->setVisible(open);
}

void StatusBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

bool StatusBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_statusText && (event->type() == QEvent::Resize || event->type() == QEvent::Move) &&
        m_pbPanel) {
        const int right = qMax(350, m_statusText->geometry().right() + 3);
        m_statusPanel->setGeometry(150, 0, right - 150, 24);
        const bool wide = right > 350;
        m_pbPanel->setVisible(!wide);
        if (wide) m_statusPanel->raise(), m_statusText->raise();
    }
    return QWidget::eventFilter(watched, event);
}

void StatusBar::layOut()
{
    const int w = width();
    const int panel = qMax(40, w - 350 - kStopWidth - 4);
    m_pbPanel->setGeometry(350, 0, panel, 24);
    m_pb1->setGeometry(350, 0, panel - 15, 24);
    if (m_btnStop) m_btnStop->move(w - kStopWidth - 2, 1);
    if (onPanelWidths) onPanelWidths(194, qMax(194, w - 154 - kStopWidth - 8));
}

} // namespace zc

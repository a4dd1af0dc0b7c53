#include "ui/findings_bar.h"

#include "ui/contrast.h"
#include "words/finding_words.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace zc {

namespace {

constexpr int kHeight = 24;

// Fixed light colours with text chosen to read on them, so the strip reads the same in a
// light and a dark palette.
QColor background(Audit::Severity worst)
{
    switch (worst) {
    case Audit::Severity::High:
        return {0xF6, 0xC9, 0xC4};
    case Audit::Severity::Warning:
        return {0xFB, 0xE3, 0xA6};
    case Audit::Severity::Info:
        break;
    }
    return {0xCF, 0xE2, 0xF8};
}

} // namespace

FindingsBar::FindingsBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("findingsBar"));
    setAutoFillBackground(true);
    setFixedHeight(kHeight);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("findingsText"));
    m_details = new QPushButton(QStringLiteral("Details"), this);
    m_details->setObjectName(QStringLiteral("findingsDetails"));
    m_details->setFlat(true);
    m_details->setCursor(Qt::PointingHandCursor);
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("findingsList"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 0, 4, 0);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_details);
    connect(m_details, &QPushButton::clicked, this, &FindingsBar::showDetails);
    hide();
}

void FindingsBar::placeAbove(QWidget *grid)
{
    m_grid = grid;
    m_gridPlace = grid->geometry();
}

QString FindingsBar::text() const
{
    return isVisibleTo(parentWidget()) ? m_text->text() : QString();
}

void FindingsBar::setFindings(const QList<Audit::Finding> &findings)
{
    m_findings = findings;
    m_menu->clear();
    Audit::Severity worst = Audit::Severity::Info;
    for (const Audit::Finding &f : findings) {
        worst = qMin(worst, f.severity);
        QAction *a = m_menu->addAction(FindingWords::detail(f));
        connect(a, &QAction::triggered, this, [this, f] {
            if (onChosen) onChosen(f);
        });
    }
    m_text->setText(FindingWords::line(findings));
    m_text->setToolTip(m_text->text());
    QPalette p = Contrast::onFixedColour(palette(), background(worst));
    setPalette(p);
    m_text->setPalette(p);
    m_details->setPalette(p);
    setVisible(!findings.isEmpty());
    fitGrid();
}

void FindingsBar::fitGrid()
{
    if (!m_grid) return;
    if (isVisibleTo(parentWidget())) {
        setGeometry(m_gridPlace.x(), m_gridPlace.y(), m_gridPlace.width(), kHeight);
        m_grid->setGeometry(m_gridPlace.adjusted(0, kHeight, 0, 0));
        raise();
    } else {
        m_grid->setGeometry(m_gridPlace);
    }
}

void FindingsBar::showDetails()
{
    // Shown without a loop of its own: nothing waits for it.
    m_menu->popup(m_details->mapToGlobal(QPoint(0, m_details->height())));
}

} // namespace zc

#include "ui/number_list_page.h"

#include "link/link_session.h"
#include "link/reporter.h"
#include "ui/number_list_editor.h"
#include "ui/settings_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QWheelEvent>

namespace zc {

NumberListPage::NumberListPage(LinkSession &session, Reporter &reporter, QWidget *parent)
    : QWidget(parent), m_session(session), m_reporter(reporter), m_telephoneSend(m_model)
{
    setObjectName(QStringLiteral("ts2"));
    session.attach(m_telephoneSend);

    auto *left = new QWidget(this);
    left->setObjectName(QStringLiteral("pnl_numbers"));
    left->setFixedWidth(100);
    left->setMinimumHeight(420);
    QPushButton *btn10 = placeButton(left, "btn10", QStringLiteral("Read"), {8, 45, 85, 30});
    QPushButton *btn9 = placeButton(left, "btn9", QStringLiteral("Save"), {8, 101, 85, 30});
    QPushButton *btn14 = placeButton(left, "btn14", QStringLiteral("Import .XLS"), {8, 158, 85, 30});
    QPushButton *btn15 = placeButton(left, "btn15", QStringLiteral("Export .XLS"), {8, 214, 85, 30});
    QPushButton *btn3 = placeButton(left, "btn3", QStringLiteral("Export .CSV"), {8, 271, 85, 30});
    QPushButton *btn6 = placeButton(left, "btn6", QStringLiteral("All Always"), {8, 330, 85, 30});
    QPushButton *btn7 = placeButton(left, "btn7", QStringLiteral("Delete all"), {8, 385, 85, 30});
    m_editor = new NumberListEditor(&m_model, this);
    auto *strip = new QWidget(this); // the narrow empty strip right of the grid
    strip->setFixedWidth(22);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(left);
    layout->addWidget(m_editor, 1);
    layout->addWidget(strip);
    m_controls = {btn10, btn9, btn14, btn15, btn3, btn6, btn7};
    connect(btn9, &QPushButton::clicked, this, &NumberListPage::btn9Click);
    connect(btn10, &QPushButton::clicked, this, &NumberListPage::btn10Click);
    connect(btn6, &QPushButton::clicked, this, &NumberListPage::btn6Click);
    connect(btn7, &QPushButton::clicked, this, &NumberListPage::btn7Click);
}

void NumberListPage::wheelEvent(QWheelEvent *event)
{
    m_editor->wheelScroll(event);
}

void NumberListPage::btn9Click()
{
    if (m_session.refuseWhileBusy()) return;
    m_telephoneSend.Save();
}

void NumberListPage::btn10Click()
{
    if (m_session.refuseWhileBusy()) return;
    if (!m_reporter.question(
            QStringLiteral("Read the Authorized number list from GSM device to PC software?")))
        return;
    m_telephoneSend.Read();
}

void NumberListPage::btn6Click()
{
    m_model.pressAllAlways();
}

void NumberListPage::btn7Click()
{
    m_model.pressDeleteAll();
}

} // namespace zc

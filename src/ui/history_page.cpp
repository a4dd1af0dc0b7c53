#include "ui/history_page.h"

#include "link/link_session.h"
#include "link/reporter.h"
#include "ui/settings_page.h"

#include <QPushButton>

namespace zc {

HistoryPage::HistoryPage(LinkSession &session, Reporter &reporter, QWidget *parent)
    : QWidget(parent), m_session(session), m_reporter(reporter), m_historyInf(m_model)
{
    setObjectName(QStringLiteral("ts3"));
    session.attach(m_historyInf);

    auto *top = new QWidget(this);
    top->setGeometry(0, 0, 976, 47);
    QPushButton *btn19 = placeButton(top, "btn19", QStringLiteral("Read data"), {9, 8, 86, 30});
    QPushButton *btn20 = placeButton(top, "btn20", QStringLiteral("Filter"), {699, 8, 97, 30});
    auto *left = new QWidget(this);
    left->setGeometry(0, 47, 100, 585 - 47);
    QPushButton *btn18 = placeButton(left, "btn18", QStringLiteral("Export.CSV"), {9, 73, 86, 30});
    QPushButton *btn13 = placeButton(left, "btn13", QStringLiteral("Export.XLS"), {9, 126, 86, 30});
    QPushButton *btn23 = placeButton(left, "btn23", QStringLiteral("Delete all"), {9, 297, 85, 30});
    m_controls = {btn19, btn20, btn23, btn13, btn18};
    connect(btn19, &QPushButton::clicked, this, &HistoryPage::btn19Click);
    connect(btn20, &QPushButton::clicked, this, &HistoryPage::btn20Click);
    connect(btn23, &QPushButton::clicked, this, &HistoryPage::btn23Click);
}

void HistoryPage::btn19Click()
{
    if (m_session.refuseWhileBusy())
        return;
    m_historyInf.Read();
}

void HistoryPage::btn20Click()
{
}

void HistoryPage::btn23Click()
{
    if (m_session.refuseWhileBusy())
        return;
    if (!m_reporter.warningOkCancel(
            QStringLiteral("Warning: Thie operation will DELETE all of the historical data on GSM device! ")))
        return;
    m_historyInf.DeleteAll();
}

} // namespace zc

#include "link/unit_pages.h"

#include "link/link_session.h"
#include "link/paged_transfer.h"

namespace zc {

UnitPages::UnitPages(Tsend_rec_command &transfer, LinkSession &session, QObject *parent)
    : QObject(parent), m_transfer(transfer)
{
    connect(&session, &LinkSession::portChanged, this, &UnitPages::forget);
    connect(&transfer, &Tsend_rec_command::started, this, [this](bool writing) {
        m_reading.clear();
        m_pagesRead = 0;
        // Until the save is complete the unit may hold some of its pages and not others.
        if (writing)
            forget();
        else
            m_reading.resize(areaMap(m_transfer.area()).pages);
    });
    // While a page is decoded its bytes are still in the transfer's buffer.
    connect(&transfer, &Tsend_rec_command::decoding, this, [this](bool on) {
        const int page = pageAt(m_transfer.area(), m_transfer.address);
        if (!on || m_transfer.writing() || page < 1 || page > m_reading.size()) return;
        m_reading[page - 1] = m_transfer.data;
        ++m_pagesRead;
    });
    connect(&transfer, &Tsend_rec_command::done, this, [this](const Outcome &outcome) {
        if (!outcome.completed()) return;
        if (m_transfer.writing()) {
            const std::vector<Tsend_rec_command::Page> &saved = m_transfer.savedPages();
            m_pages = QList<PageBytes>(saved.cbegin(), saved.cend());
        } else if (m_pagesRead == m_reading.size()) {
            m_pages = m_reading;
        }
        m_reading.clear();
    });
}

} // namespace zc

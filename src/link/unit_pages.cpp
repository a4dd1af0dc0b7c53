#include "link/unit_pages.h"

#include "link/link_session.h"
#include "link/paged_transfer.h"

#include <algorithm>

namespace zc {

UnitPages::UnitPages(Tsend_rec_command &transfer, LinkSession &session, QObject *parent)
    : QObject(parent), m_transfer(transfer)
{
    connect(&session, &LinkSession::portChanged, this, &UnitPages::forget);
    connect(&transfer, &Tsend_rec_command::started, this, [this](bool writing) {
        m_reading.clear();
        m_pagesRead = 0;
        if (!writing) m_reading.resize(areaMap(m_transfer.area()).pages);
    });
    connect(&transfer, &Tsend_rec_command::pageArrived, this, [this](int page, const PageBytes &bytes) {
        if (m_transfer.writing() || page < 1 || page > m_reading.size()) return;
        m_reading[page - 1] = bytes;
        ++m_pagesRead;
    });
    connect(&transfer, &Tsend_rec_command::done, this, [this](const Outcome &outcome) {
        if (!m_transfer.writing()) {
            if (outcome.completed() && m_pagesRead == m_reading.size()) {
                m_pages = m_reading;
                m_unknown.clear();
            }
            m_reading.clear();
            return;
        }
        const std::vector<Tsend_rec_command::Page> &saved = m_transfer.savedPages();
        const int total = int(saved.size());
        if (m_pages.size() != total) {
            // Nothing was known: every page is unknown until this save says otherwise.
            m_pages = QList<PageBytes>(total);
            m_unknown.clear();
            for (int p = 1; p <= total; ++p)
                m_unknown << p;
        }
        const int done = outcome.completed() ? total : qBound(0, outcome.pagesDone, total);
        for (int p = 1; p <= done; ++p) {
            m_pages[p - 1] = saved[std::size_t(p - 1)];
            m_unknown.removeOne(p);
        }
        // The page on its way may or may not have been written.
        if (!outcome.completed() && outcome.inFlightUnknown && done < total &&
            !m_unknown.contains(done + 1)) {
            m_unknown << done + 1;
            std::sort(m_unknown.begin(), m_unknown.end());
        }
        if (m_unknown.size() == total) forget();
    });
}

QList<int> UnitPages::unknownPages() const
{
    if (!m_pages.isEmpty()) return m_unknown;
    QList<int> all;
    for (int p = 1; p <= areaMap(m_transfer.area()).pages; ++p)
        all << p;
    return all;
}

QList<PageBytes> UnitPages::pagesOr(const QList<PageBytes> &fallback) const
{
    if (m_pages.isEmpty()) return {};
    QList<PageBytes> out = m_pages;
    for (int p : m_unknown)
        if (p - 1 < fallback.size()) out[p - 1] = fallback[p - 1];
    return out;
}

void UnitPages::forget()
{
    m_pages.clear();
    m_unknown.clear();
}

} // namespace zc

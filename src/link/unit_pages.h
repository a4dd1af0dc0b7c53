// The pages an area holds on the unit, as far as this program knows, page by page: those of
// the last complete read, and those each save since then had acknowledged. Nothing is known
// before such a read or a complete save, or once the port is opened or closed again
// (another unit may be on it then). A save that ends part way leaves known the pages it had
// acknowledged (the unit holds them as sent) and the pages it never sent (the unit keeps
// them); only the page whose reply never came or came damaged becomes unknown. A read that
// ends part way changes nothing on the unit and leaves what was known.
#pragma once

#include "link/area_diff.h"

#include <QObject>

namespace zc {

class LinkSession;
class Tsend_rec_command;

class UnitPages : public QObject
{
    Q_OBJECT
public:
    UnitPages(Tsend_rec_command &transfer, LinkSession &session, QObject *parent = nullptr);

    // Every page is known.
    bool known() const { return !m_pages.isEmpty() && m_unknown.isEmpty(); }
    // Some page is known.
    bool anyKnown() const { return !m_pages.isEmpty() && m_unknown.size() < m_pages.size(); }
    // The pages (1-based, ascending) whose content on the unit is not known; every page
    // when nothing is known.
    QList<int> unknownPages() const;
    // Every page of the area in page order: the unit's where known, else the page of
    // `fallback` (the pages a save would send, so that a comparison finds no change there);
    // empty when nothing is known.
    QList<PageBytes> pagesOr(const QList<PageBytes> &fallback) const;
    // Every page of the area in page order; empty unless every page is known.
    QList<PageBytes> pages() const { return known() ? m_pages : QList<PageBytes>(); }
    void forget();

private:
    Tsend_rec_command &m_transfer;
    QList<PageBytes> m_pages;   // every page once something is known
    QList<int> m_unknown;       // the pages of m_pages that are not known, ascending
    QList<PageBytes> m_reading; // the pages of the running read, by page
    int m_pagesRead = 0;
};

} // namespace zc

// The pages an area holds on the unit, as far as this program knows: those of the last
// complete read or complete save since the port was opened. Nothing is known before such
// a transfer, after a save that ended part way (the unit may hold a mix of old and new
// pages), or once the port is opened or closed again (another unit may be on it then). A
// read that ends part way changes nothing on the unit and leaves what was known.
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

    bool known() const { return !m_pages.isEmpty(); }
    // Every page of the area in page order; empty when nothing is known.
    const QList<PageBytes> &pages() const { return m_pages; }
    void forget() { m_pages.clear(); }

private:
    Tsend_rec_command &m_transfer;
    QList<PageBytes> m_pages;
    QList<PageBytes> m_reading; // the pages of the running read, by page
    int m_pagesRead = 0;
};

} // namespace zc

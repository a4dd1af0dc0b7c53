#include "sheets/xls_cells.h"

#include "sheets/sheet_filler.h"

#include <vector>

namespace zc::XlsCells {

namespace {

const QByteArray kMagic("ZXC2");

void put(QByteArray &b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char(v >> (8 * i) & 0xFF));
}

void putText(QByteArray &b, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    put(b, quint32(utf8.size()));
    b.append(utf8);
}

// Reads from a byte array without ever stepping past its end.
class Cursor
{
public:
    explicit Cursor(const QByteArray &b) : m_b(b) {}
    bool number(quint32 &v)
    {
        if (m_b.size() - m_at < 4) return false;
        v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | quint8(m_b.at(m_at + i));
        m_at += 4;
        return true;
    }
    bool byte(quint8 &v)
    {
        if (m_b.size() - m_at < 1) return false;
        v = quint8(m_b.at(m_at++));
        return true;
    }
    bool text(QString &t)
    {
        quint32 n = 0;
        if (!number(n) || qint64(n) > m_b.size() - m_at) return false;
        t = QString::fromUtf8(m_b.constData() + m_at, qsizetype(n));
        m_at += n;
        return true;
    }
    bool atEnd() const { return m_at == m_b.size(); }

private:
    const QByteArray &m_b;
    qint64 m_at = 0;
};

} // namespace

QByteArray encode(const QString &message, qint64 valueCells, const Sheet &sheet)
{
    QByteArray b = kMagic;
    putText(b, message);
    put(b, quint32(valueCells));
    // Formulas without a value have no text: they follow the cells that have one.
    std::vector<std::pair<int, int>> bare;
    for (const auto &[pos, kind] : sheet.kinds())
        if (kind == CellKind::Formula && !sheet.cells().count(pos)) bare.push_back(pos);
    put(b, quint32(sheet.cellCount() + int(bare.size())));
    const auto cell = [&b](std::pair<int, int> pos, CellKind kind, const QString &text) {
        put(b, quint32(pos.first));
        put(b, quint32(pos.second));
        b.append(char(kind));
        putText(b, text);
    };
    for (const auto &[pos, text] : sheet.cells())
        cell(pos, sheet.kind(pos.first, pos.second), text);
    for (const auto &pos : bare)
        cell(pos, CellKind::Formula, QString());
    return b;
}

QString decode(const QByteArray &bytes, SheetFiller &out, Decoded *decoded)
{
    const QString bad = QStringLiteral("the .xls reader gave no valid answer");
    if (!bytes.startsWith(kMagic)) return bad;
    Cursor c(bytes);
    quint32 skip = 0, valueCells = 0, count = 0;
    c.number(skip); // the magic
    if (!c.text(decoded->message) || !c.number(valueCells) || !c.number(count)) return bad;
    decoded->valueCells = valueCells;
    // Each cell takes at least 13 bytes, so a count the output cannot hold is refused at once.
    if (qint64(count) > bytes.size() / 13) return bad;
    for (quint32 i = 0; i < count; ++i) {
        quint32 row = 0, column = 0;
        quint8 kind = 0;
        QString text;
        if (!c.number(row) || !c.number(column) || !c.byte(kind) || kind > quint8(CellKind::Formula) ||
            !c.text(text))
            return bad;
        if (!out.add(row, column, text, CellKind(kind))) return out.error();
    }
    return c.atEnd() ? QString() : bad;
}

} // namespace zc::XlsCells

#include "sheets/xls_layout.h"

#include "sheets/cell_text.h"

#include <QSet>

#include <cstring>
#include <map>
#include <vector>

namespace zc::XlsLayout {

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr int kEntrySize = 128;
constexpr int kStreamEntry = 2;

// Record types of the workbook stream.
constexpr quint16 kBof = 0x0809, kEof = 0x000A, kBoundSheet = 0x0085, kWindow1 = 0x003D;
constexpr quint16 kNumber = 0x0203, kBoolErr = 0x0205, kRk = 0x027E, kLabel = 0x0204, kLabelSst = 0x00FD,
                  kMulRk = 0x00BD, kSst = 0x00FC, kContinue = 0x003C, kBlank = 0x0201, kRow = 0x0208,
                  kDimension = 0x0200, kRString = 0x00D6, kDbCell = 0x00D7, kFormula = 0x0006,
                  kString = 0x0207, kShrFmla = 0x04BC, kArray = 0x0221, kTable = 0x0236, kXf = 0x00E0,
                  kFormat = 0x041E, kDateMode = 0x0022;

quint32 le(const QByteArray &b, qint64 at, int width)
{
    if (at < 0 || at + width > b.size()) return 0;
    quint32 v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = v << 8 | quint8(b.at(at + i));
    return v;
}

// Sector and chain access of a compound document, every index checked against the file.
class Compound
{
public:
    QString open(const QByteArray &file)
    {
        m_file = file;
        const quint32 shift = le(file, 0x1E, 2);
        if (file.size() < 512 || (shift != 9 && shift != 12)) return broken();
        m_sector = qint64(1) << shift;
        const qint64 sectors = file.size() / m_sector; // an upper bound, header included
        const quint32 fatCount = le(file, 0x2C, 4);
        if (fatCount > sectors) return broken();

        std::vector<quint32> fatSectors;
        for (int i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(le(file, 0x4C + 4 * i, 4));
        quint32 difat = le(file, 0x44, 4);
        for (quint32 n = le(file, 0x48, 4); n > 0 && fatSectors.size() < fatCount; --n) {
            const qint64 at = offset(difat);
            if (at < 0) return broken();
            const qint64 perSector = m_sector / 4 - 1;
            for (qint64 i = 0; i < perSector && fatSectors.size() < fatCount; ++i)
                fatSectors.push_back(le(file, at + 4 * i, 4));
            difat = le(file, at + 4 * perSector, 4);
        }
        if (fatSectors.size() < fatCount) return broken();
        for (quint32 s : fatSectors) {
            const qint64 at = offset(s);
            if (at < 0) return broken();
            for (qint64 i = 0; i < m_sector / 4; ++i)
                m_fat.push_back(le(file, at + 4 * i, 4));
        }
        return {};
    }

    // The first `size` bytes of the chain that starts at `start`; false when the chain
    // leaves the file, loops, or ends too early.
    bool stream(quint32 start, qint64 size, QByteArray &out) const
    {
        out.clear();
        if (size < 0 || size > m_file.size()) return false;
        quint32 s = start;
        for (std::size_t steps = 0; out.size() < size; ++steps) {
            const qint64 at = offset(s);
            if (at < 0 || s >= m_fat.size() || steps > m_fat.size()) return false;
            out.append(m_file.constData() + at, qMin<qint64>(m_sector, size - out.size()));
            s = m_fat[s];
        }
        return true;
    }

    // The whole chain from `start`, for the directory and the short-sector table.
    bool chain(quint32 start, QByteArray &out) const
    {
        out.clear();
        for (quint32 s = start; s != kEndOfChain;) {
            const qint64 at = offset(s);
            if (at < 0 || s >= m_fat.size() || qint64(out.size()) > m_file.size()) return false;
            out.append(m_file.constData() + at, m_sector);
            s = m_fat[s];
        }
        return true;
    }

    static QString broken()
    {
        return QStringLiteral("the .xls file is damaged (its storage structure is broken)");
    }

private:
    // File offset of a whole sector; -1 when it does not lie inside the file.
    qint64 offset(quint32 sector) const
    {
        const qint64 at = (qint64(sector) + 1) * m_sector;
        return at + m_sector <= m_file.size() ? at : -1;
    }

    QByteArray m_file;
    qint64 m_sector = 512;
    std::vector<quint32> m_fat;
};

QString entryName(const QByteArray &dir, qint64 at)
{
    const int bytes = int(qMin<quint32>(le(dir, at + 64, 2), 64));
    QString name;
    for (int i = 0; i + 1 < bytes; i += 2) {
        const char16_t c = char16_t(le(dir, at + i, 2));
        if (c == 0) break;
        name += QChar(c);
    }
    return name;
}

struct Record
{
    quint16 type = 0;
    qint64 data = 0, size = 0;
};

// The record at `at`, or false when it runs past the end of the stream.
bool record(const QByteArray &s, qint64 at, Record &r)
{
    if (at < 0 || at + 4 > s.size()) return false;
    r.type = quint16(le(s, at, 2));
    r.size = le(s, at + 2, 2);
    r.data = at + 4;
    return r.data + r.size <= s.size();
}

// The size a record of a sheet must have, for the types a sheet holds: {type, least size,
// greatest size}. A damaged type byte usually turns a record into a type not listed, or one
// whose size does not fit. Records from 0x0800 on are "future" records that repeat their
// own type in their first two bytes, and are checked that way.
struct SheetRecordSize
{
    quint16 type, least, most;
};
constexpr SheetRecordSize kSheetRecords[] = {
    {0x0006, 20, 0xFFFF}, // FORMULA
    {0x000C, 2, 2},       // CALCCOUNT
    {0x000D, 2, 2},       // CALCMODE
    {0x000E, 2, 2},       // PRECISION
    {0x000F, 2, 2},       // REFMODE
    {0x0010, 8, 8},       // DELTA
    {0x0011, 2, 2},       // ITERATION
    {0x0012, 2, 2},       // PROTECT
    {0x0013, 2, 2},       // PASSWORD
    {0x0014, 0, 0xFFFF},  // HEADER
    {0x0015, 0, 0xFFFF},  // FOOTER
    {0x0019, 2, 2},       // WINDOWPROTECT
    {0x001A, 2, 0xFFFF},  // VERTICALPAGEBREAKS
    {0x001B, 2, 0xFFFF},  // HORIZONTALPAGEBREAKS
    {0x001C, 6, 0xFFFF},  // NOTE
    {0x001D, 9, 0xFFFF},  // SELECTION
    {0x0026, 8, 8},       // LEFTMARGIN
    {0x0027, 8, 8},       // RIGHTMARGIN
    {0x0028, 8, 8},       // TOPMARGIN
    {0x0029, 8, 8},       // BOTTOMMARGIN
    {0x002A, 2, 2},       // PRINTHEADERS
    {0x002B, 2, 2},       // PRINTGRIDLINES
    {0x003C, 0, 0xFFFF},  // CONTINUE
    {0x0041, 8, 10},      // PANE
    {0x004D, 0, 0xFFFF},  // PLS
    {0x0050, 0, 0xFFFF},  // DCON
    {0x0051, 0, 0xFFFF},  // DCONREF
    {0x0052, 0, 0xFFFF},  // DCONNAME
    {0x0055, 2, 2},       // DEFCOLWIDTH
    {0x0059, 0, 0xFFFF},  // XCT
    {0x005A, 0, 0xFFFF},  // CRN
    {0x005D, 0, 0xFFFF},  // OBJ
    {0x005E, 2, 2},       // UNCALCED
    {0x005F, 2, 2},       // SAVERECALC
    {0x0063, 2, 2},       // OBJPROTECT
    {0x007D, 10, 12},     // COLINFO
    {0x007F, 0, 0xFFFF},  // IMDATA
    {0x0080, 8, 8},       // GUTS
    {0x0081, 2, 2},       // WSBOOL
    {0x0082, 2, 2},       // GRIDSET
    {0x0083, 2, 2},       // HCENTER
    {0x0084, 2, 2},       // VCENTER
    {0x0090, 0, 0xFFFF},  // SORT
    {0x0094, 0, 0xFFFF},  // LHRECORD
    {0x0097, 0, 0xFFFF},  // SYNC
    {0x0098, 0, 0xFFFF},  // LPR
    {0x0099, 2, 2},       // STANDARDWIDTH
    {0x009B, 0, 0},       // FILTERMODE
    {0x009D, 2, 2},       // AUTOFILTERINFO
    {0x009E, 0, 0xFFFF},  // AUTOFILTER
    {0x00A0, 4, 4},       // SCL
    {0x00A1, 34, 34},     // SETUP
    {0x00AE, 0, 0xFFFF},  // SCENMAN
    {0x00AF, 0, 0xFFFF},  // SCENARIO
    {0x00B0, 0, 0xFFFF},  // pivot table records 0x00B0..0x00B6
    {0x00B1, 0, 0xFFFF},  {0x00B2, 0, 0xFFFF}, {0x00B4, 0, 0xFFFF},
    {0x00B5, 0, 0xFFFF},  {0x00B6, 0, 0xFFFF}, {0x00BD, 12, 0xFFFF}, // MULRK
    {0x00BE, 8, 0xFFFF},                                             // MULBLANK
    {0x00C5, 0, 0xFFFF},                                             // SXDI
    {0x00D5, 0, 0xFFFF},                                             // SXIDSTM
    {0x00D6, 8, 0xFFFF},                                             // RSTRING
    {0x00D7, 4, 0xFFFF},                                             // DBCELL
    {0x00DD, 2, 2},                                                  // SCENPROTECT
    {0x00E5, 2, 0xFFFF},                                             // MERGECELLS
    {0x00E9, 0, 0xFFFF},                                             // BITMAP
    {0x00EC, 0, 0xFFFF},                                             // MSODRAWING
    {0x00ED, 0, 0xFFFF},                                             // MSODRAWINGSELECTION
    {0x00EF, 0, 0xFFFF},                                             // PHONETICINFO
    {0x00F1, 0, 0xFFFF},                                             // SXEX
    {0x00FD, 10, 10},                                                // LABELSST
    {0x0100, 0, 0xFFFF},                                             // SXVDEX
    {0x015F, 0, 0xFFFF},                                             // LABELRANGES
    {0x01AD, 0, 0xFFFF},                                             // QSI
    {0x01B0, 0, 0xFFFF},                                             // CONDFMT
    {0x01B1, 0, 0xFFFF},                                             // CF
    {0x01B2, 18, 18},                                                // DVAL
    {0x01B5, 0, 0xFFFF},                                             // DCONBIN
    {0x01B6, 0, 0xFFFF},                                             // TXO
    {0x01B8, 0, 0xFFFF},                                             // HLINK
    {0x01BA, 0, 0xFFFF},                                             // CODENAME
    {0x01BE, 0, 0xFFFF},                                             // DV
    {0x0200, 10, 14},                                                // DIMENSION
    {0x0201, 6, 6},                                                  // BLANK
    {0x0203, 14, 14},                                                // NUMBER
    {0x0204, 8, 0xFFFF},                                             // LABEL
    {0x0205, 8, 8},                                                  // BOOLERR
    {0x0207, 2, 0xFFFF},                                             // STRING
    {0x0208, 16, 16},                                                // ROW
    {0x020B, 12, 0xFFFF},                                            // INDEX
    {0x0221, 0, 0xFFFF},                                             // ARRAY
    {0x0225, 4, 4},                                                  // DEFAULTROWHEIGHT
    {0x0236, 0, 0xFFFF},                                             // TABLE
    {0x023E, 10, 18},                                                // WINDOW2
    {0x027E, 10, 10},                                                // RK
    {0x04BC, 0, 0xFFFF},                                             // SHRFMLA
};

// Whether r may be a record of a sheet, by its type and size.
bool sheetRecordFits(const QByteArray &s, const Record &r)
{
    if (r.type >= 0x0800 && r.type < 0x0900) return r.size >= 2 && le(s, r.data, 2) == r.type;
    for (const SheetRecordSize &k : kSheetRecords)
        if (k.type == r.type) return r.size >= k.least && r.size <= k.most;
    return false;
}

// Reads a record's data and the CONTINUE records after it as one run of bytes, remembering
// where each record starts, because split texts restart with a flags byte there.
class Continued
{
public:
    Continued(const QByteArray &s, std::vector<Record> records) : m_s(s), m_records(std::move(records)) {}

    bool take(qint64 n, qint64 *value = nullptr)
    {
        qint64 v = 0;
        for (qint64 i = 0; i < n; ++i) {
            if (!nextByteReady()) return false;
            v |= qint64(quint8(m_s.at(m_records[m_index].data + m_at++))) << (8 * i);
        }
        if (value) *value = v;
        return true;
    }
    // Skips n bytes, across record borders.
    bool skip(qint64 n)
    {
        while (n > 0) {
            if (!nextByteReady()) return false;
            const qint64 step = qMin(n, m_records[m_index].size - m_at);
            m_at += step;
            n -= step;
        }
        return true;
    }
    // Skips (or, with text, reads) the characters of a text: where they run into the next
    // record, that record starts with a flags byte that says whether they continue as one or
    // two bytes each.
    bool skipCharacters(qint64 count, bool wide, QString *text = nullptr)
    {
        while (count > 0) {
            if (m_at == m_records[m_index].size) {
                if (++m_index >= m_records.size()) return false;
                m_at = 0;
                qint64 flags = 0;
                if (!take(1, &flags)) return false;
                wide = flags & 1;
            }
            const qint64 fit = qMin(count, (m_records[m_index].size - m_at) / (wide ? 2 : 1));
            if (fit == 0) return false;
            if (text) {
                const qint64 from = m_records[m_index].data + m_at;
                for (qint64 i = 0; i < fit; ++i)
                    *text += QChar(char16_t(wide ? le(m_s, from + 2 * i, 2) : le(m_s, from + i, 1)));
            }
            m_at += fit * (wide ? 2 : 1);
            count -= fit;
        }
        return true;
    }
    bool atEnd() const { return m_index + 1 >= m_records.size() && m_at == m_records.back().size; }

private:
    bool nextByteReady()
    {
        while (m_at == m_records[m_index].size) {
            if (++m_index >= m_records.size()) {
                m_index = m_records.size() - 1;
                return false;
            }
            m_at = 0;
        }
        return true;
    }

    const QByteArray &m_s;
    std::vector<Record> m_records;
    std::size_t m_index = 0;
    qint64 m_at = 0;
};

// The number of texts in the shared text table, checked by walking every text in it: a
// damaged length makes the walk end before or after the table does. -1 when it is broken.
qint64 sharedTexts(const QByteArray &s, std::vector<Record> records)
{
    Continued t(s, std::move(records));
    qint64 total = 0, unique = 0;
    if (!t.take(4, &total) || !t.take(4, &unique)) return -1;
    for (qint64 i = 0; i < unique; ++i) {
        qint64 count = 0, flags = 0, runs = 0, extra = 0;
        if (!t.take(2, &count) || !t.take(1, &flags)) return -1;
        if ((flags & 0x08) && !t.take(2, &runs)) return -1;
        if ((flags & 0x04) && !t.take(4, &extra)) return -1;
        if (!t.skipCharacters(count, flags & 1) || !t.skip(4 * runs) || !t.skip(extra)) return -1;
    }
    return t.atEnd() ? unique : -1;
}

// The Workbook (or Book) stream of a compound document; *error stays "" when it was found.
QByteArray workbookStream(const QByteArray &file, QString *error)
{
    Compound doc;
    if (QString why = doc.open(file); !why.isEmpty()) {
        *error = why;
        return {};
    }
    QByteArray dir;
    if (!doc.chain(quint32(le(file, 0x30, 4)), dir) || dir.size() < kEntrySize) {
        *error = Compound::broken();
        return {};
    }
    qint64 found = -1;
    for (qint64 at = 0; at + kEntrySize <= dir.size() && found < 0; at += kEntrySize) {
        const QString name = entryName(dir, at);
        if (quint8(dir.at(at + 66)) == kStreamEntry &&
            (name.compare(QLatin1String("Workbook"), Qt::CaseInsensitive) == 0 ||
             name.compare(QLatin1String("Book"), Qt::CaseInsensitive) == 0))
            found = at;
    }
    if (found < 0) {
        *error = QStringLiteral("it holds no Excel workbook");
        return {};
    }
    const quint32 start = le(dir, found + 116, 4);
    const qint64 size = le(dir, found + 120, 4);
    QByteArray out;
    if (size >= le(file, 0x38, 4)) {
        if (!doc.stream(start, size, out)) *error = Compound::broken();
        return out;
    }
    // Short streams live in 64-byte sectors inside the root entry's stream.
    QByteArray mini, miniFat;
    if (!doc.stream(le(dir, 116, 4), le(dir, 120, 4), mini) || !doc.chain(le(file, 0x3C, 4), miniFat)) {
        *error = Compound::broken();
        return {};
    }
    quint32 s = start;
    for (qint64 steps = 0; out.size() < size; ++steps) {
        const qint64 at = qint64(s) * 64;
        if (at + 64 > mini.size() || steps > miniFat.size() / 4) {
            *error = Compound::broken();
            return {};
        }
        out.append(mini.constData() + at, qMin<qint64>(64, size - out.size()));
        s = le(miniFat, qint64(s) * 4, 4);
    }
    return out;
}

// The number formats of the workbook globals, to show a formula's number as its cell does.
struct Formats
{
    bool biff8 = true;
    bool date1904 = false;
    std::vector<quint16> xfFormat;     // format id of each cell format, in order
    std::map<quint16, QString> custom; // format id -> format code

    CellText::DateKind kindOf(qint64 xf) const
    {
        if (xf < 0 || xf >= qint64(xfFormat.size())) return CellText::DateKind::None;
        const quint16 id = xfFormat[std::size_t(xf)];
        const auto it = custom.find(id);
        return it != custom.end() ? CellText::formatKind(it->second) : CellText::builtinFormatKind(id);
    }
};

// A FORMAT record: its id, then its code (BIFF8: 16-bit count, flags, characters; BIFF5:
// 8-bit count, bytes).
void readFormat(const QByteArray &s, const Record &r, Formats &f)
{
    const quint16 id = quint16(le(s, r.data, 2));
    QString code;
    if (f.biff8) {
        const qint64 count = le(s, r.data + 2, 2);
        Continued text(s, {r});
        if (!text.skip(5) || !text.skipCharacters(count, le(s, r.data + 4, 1) & 1, &code)) return;
    } else {
        const qint64 count = qMin<qint64>(le(s, r.data + 2, 1), r.size - 3);
        code = QString::fromLatin1(s.constData() + r.data + 3, qMax<qint64>(count, 0));
    }
    f.custom[id] = code;
}

// The text of a STRING record and the CONTINUE records after it; false when it is cut off.
bool readString(const QByteArray &s, const std::vector<Record> &parts, bool biff8, QString &text)
{
    const Record &r = parts.front();
    const qint64 count = le(s, r.data, 2);
    if (!biff8) {
        if (r.size < 2 + count) return false;
        text = QString::fromLatin1(s.constData() + r.data + 2, count);
        return true;
    }
    Continued t(s, parts);
    qint64 flags = 0;
    if (!t.skip(2) || !t.take(1, &flags)) return false;
    text.clear();
    return t.skipCharacters(count, flags & 1, &text);
}

// What a FORMULA record holds as its stored result. The 8 result bytes are a number unless
// the last two are FF FF; then the first says what it is: 0 a text (in the STRING record
// that follows), 1 a truth value, 2 an error, 3 an empty text. Returns true when the text
// is still to come from a STRING record.
bool formulaResult(const QByteArray &s, const Record &r, const Formats &formats, FormulaCell &cell)
{
    const qint64 result = r.data + 6;
    if (le(s, result + 6, 2) != 0xFFFF) {
        quint64 bits = quint64(le(s, result, 4)) | quint64(le(s, result + 4, 4)) << 32;
        double value = 0;
        static_assert(sizeof value == sizeof bits);
        std::memcpy(&value, &bits, sizeof value);
        cell.kind = CellKind::Number;
        cell.text = CellText::fromSerial(value, formats.kindOf(le(s, r.data + 4, 2)), formats.date1904);
        return false;
    }
    const quint32 code = le(s, result + 2, 1);
    switch (le(s, result, 1)) {
    case 0:
        cell.kind = CellKind::Formula; // until its text is read
        return true;
    case 1:
        cell.text = CellText::truth(code != 0);
        return false;
    case 2: {
        static const std::map<quint32, const char *> errors = {
            {0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"}, {0x17, "#REF!"},
            {0x1D, "#NAME?"}, {0x24, "#NUM!"},   {0x2A, "#N/A"}};
        const auto it = errors.find(code);
        if (it != errors.end())
            cell.text = QString::fromLatin1(it->second);
        else
            cell.kind = CellKind::Formula;
        return false;
    }
    case 3:
        return false;
    default:
        cell.kind = CellKind::Formula;
        return false;
    }
}

} // namespace

QString inspect(const QByteArray &file, Layout *layout)
{
    QString error;
    const QByteArray s = workbookStream(file, &error);
    if (!error.isEmpty()) return error;
    const QString cut = QStringLiteral("the .xls file is damaged (its records are cut off or broken)");

    // The workbook globals: where each sheet starts and which tab was shown.
    std::vector<qint64> sheets;
    qint64 shownTab = -1;
    Record r;
    qint64 at = 0;
    if (!record(s, at, r) || r.type != kBof) return QStringLiteral("it holds no Excel workbook");
    Formats formats;
    formats.biff8 = r.size < 2 || le(s, r.data, 2) >= 0x0600;
    qint64 texts = -1; // entries of the shared text table; -1 while none was seen
    for (;;) {
        at = r.data + r.size;
        if (!record(s, at, r)) return cut;
        if (r.type == kEof) break;
        if (r.type == kSst) {
            std::vector<Record> parts{r};
            for (Record next; record(s, r.data + r.size, next) && next.type == kContinue; r = next)
                parts.push_back(next);
            texts = sharedTexts(s, std::move(parts));
            if (texts < 0) return cut;
        }
        if (r.type == kBoundSheet && r.size >= 6) sheets.push_back(le(s, r.data, 4));
        if (r.type == kWindow1 && r.size >= 12 && shownTab < 0) shownTab = le(s, r.data + 10, 2);
        if (r.type == kXf && r.size >= 4) formats.xfFormat.push_back(quint16(le(s, r.data + 2, 2)));
        if (r.type == kFormat && r.size >= 3) readFormat(s, r, formats);
        if (r.type == kDateMode && r.size >= 2) formats.date1904 = le(s, r.data, 2) == 1;
    }
    if (sheets.empty()) return QStringLiteral("the workbook has no sheet");
    layout->sheetCount = int(qMin<std::size_t>(sheets.size(), 0x10000));
    layout->activeSheet = shownTab >= 0 && shownTab < qint64(sheets.size()) ? int(shownTab) : 0;

    // The shown sheet's own records, up to its EOF; embedded charts nest BOF..EOF blocks
    // whose records are not cells of the sheet. A sheet's records are below 0x1000 and of
    // the size their type has, and every cell lies inside the sheet's dimension record and
    // the columns its row record declares: a damaged type or length shows up here even
    // where the .xls library would skip the record without a word.
    const QString outside =
        QStringLiteral("the .xls file is damaged (a cell lies outside the size its sheet declares)");
    struct Cells
    {
        qint64 row, first, last;
    };
    std::vector<Cells> cells;
    std::map<qint64, std::pair<qint64, qint64>> rowColumns; // row -> first column, last + 1
    QSet<qint64> rowRecords;                                // where row records start
    qint64 firstRow = 0, endRow = -1, firstColumn = 0, endColumn = -1;
    at = sheets[std::size_t(layout->activeSheet)];
    if (!record(s, at, r) || r.type != kBof) return cut;
    layout->valueCells = 0;
    layout->formulas.clear();
    // A formula whose text result is still to come: the STRING record follows it, after any
    // shared-formula, array or table record of the same cell.
    bool textPending = false;
    for (int depth = 1; depth > 0;) {
        at = r.data + r.size;
        if (!record(s, at, r)) return cut;
        if (r.type == kBof)
            ++depth;
        else if (r.type == kEof)
            --depth;
        if (depth != 1 || r.type == kBof || r.type == kEof) continue;
        if (!sheetRecordFits(s, r))
            return QStringLiteral(
                       "the .xls file is damaged (its sheet holds a record of type %1 and %2 bytes "
                       "that no sheet has)")
                .arg(r.type, 4, 16, QLatin1Char('0'))
                .arg(r.size);
        if (textPending && r.type == kString) {
            std::vector<Record> parts{r};
            for (Record next; record(s, r.data + r.size, next) && next.type == kContinue; r = next)
                parts.push_back(next);
            FormulaCell &cell = layout->formulas.back();
            if (readString(s, parts, formats.biff8, cell.text))
                cell.kind = CellKind::Text;
            else
                cell.text.clear(); // cut off: the result cannot be had
            textPending = false;
            continue;
        }
        if (r.type != kShrFmla && r.type != kArray && r.type != kTable) textPending = false;
        const qint64 row = le(s, r.data, 2), column = le(s, r.data + 2, 2);
        switch (r.type) {
        case kFormula: {
            FormulaCell cell;
            cell.row = int(row) + 1;
            cell.column = int(column) + 1;
            textPending = formulaResult(s, r, formats, cell);
            layout->formulas.push_back(cell);
            cells.push_back({row, column, column});
            break;
        }
        case kRString:
        case kNumber:
        case kRk:
        case kBoolErr:
        case kLabel:
        case kLabelSst: {
            // The index of a shared text follows row, column and format.
            if (r.type == kLabelSst && qint64(le(s, r.data + 6, 4)) >= texts) return cut;
            cells.push_back({row, column, column});
            ++layout->valueCells;
            break;
        }
        case kMulRk: {
            // Row, first column, 6 bytes per cell, last column.
            const qint64 last = le(s, r.data + r.size - 2, 2);
            if (r.size < 12 || (r.size - 6) % 6 != 0 || last - column + 1 != (r.size - 6) / 6) return cut;
            cells.push_back({row, column, last});
            layout->valueCells += (r.size - 6) / 6;
            break;
        }
        case kBlank:
            cells.push_back({row, column, column});
            break;
        case kDbCell:
            // It points back to the first row record of its block.
            if (!rowRecords.contains(at - qint64(le(s, r.data, 4)))) return cut;
            break;
        case kRow:
            rowRecords.insert(at);
            rowColumns[row] = {column, le(s, r.data + 4, 2)};
            break;
        case kDimension:
            // Rows are 32-bit numbers in 14 bytes (BIFF8), 16-bit ones in 10 (BIFF5).
            {
                const int w = r.size == 14 ? 4 : 2;
                firstRow = le(s, r.data, w);
                endRow = le(s, r.data + w, w);
                firstColumn = le(s, r.data + 2 * w, 2);
                endColumn = le(s, r.data + 2 * w + 2, 2);
            }
            break;
        default:
            break;
        }
    }
    for (const Cells &c : cells) {
        if (c.row < firstRow || c.row >= endRow || c.first < firstColumn || c.last >= endColumn)
            return outside;
        if (rowColumns.empty()) continue;
        const auto it = rowColumns.find(c.row);
        if (it == rowColumns.end() || c.first < it->second.first || c.last >= it->second.second)
            return outside;
    }
    return {};
}

} // namespace zc::XlsLayout

#include "sheets/ods_reader.h"

#include "sheets/cell_text.h"
#include "sheets/sheet_filler.h"
#include "sheets/zip_parts.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <vector>

namespace zc::OdsReader {

namespace {

const QString kOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kTable = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kConfig = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:config:1.0");

bool isStart(const QXmlStreamReader &xml, const QString &ns, QLatin1String name)
{
    return xml.isStartElement() && xml.name() == name && xml.namespaceUri() == ns;
}

// A repeat count, kept far below where sums of them could overflow.
qint64 repeat(const QXmlStreamReader &xml, QLatin1String attribute)
{
    return std::clamp<qint64>(xml.attributes().value(kTable, attribute).toLongLong(), 1, qint64(1) << 24);
}

// Appends the text of a <text:p> just started to `text`: runs of white space count as one
// space; <text:s>, <text:tab> and <text:line-break> stand for spaces, a tab and a line
// break; notes are left out. Nothing is added past `limit` characters: a space run is
// counted before it is expanded. False when the text would pass the limit.
bool paragraph(QXmlStreamReader &xml, QString &text, int limit)
{
    bool fits = true;
    const auto append = [&](qint64 count, QChar ch) {
        if (!fits || text.size() + count > limit) {
            fits = false;
            return;
        }
        text += QString(qsizetype(count), ch);
    };
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        xml.readNext();
        if (xml.isCharacters()) {
            bool space = false;
            for (QChar ch : xml.text()) {
                const bool white = ch == QLatin1Char(' ') || ch == QLatin1Char('\t') ||
                                   ch == QLatin1Char('\n') || ch == QLatin1Char('\r');
                if (!white)
                    append(1, ch);
                else if (!space)
                    append(1, QLatin1Char(' '));
                space = white;
            }
        } else if (isStart(xml, kText, QLatin1String("s"))) {
            append(qMax<qint64>(1, xml.attributes().value(kText, QLatin1String("c")).toLongLong()),
                   QLatin1Char(' '));
            xml.skipCurrentElement();
        } else if (isStart(xml, kText, QLatin1String("tab"))) {
            append(1, QLatin1Char('\t'));
            xml.skipCurrentElement();
        } else if (isStart(xml, kText, QLatin1String("line-break"))) {
            append(1, QLatin1Char('\n'));
            xml.skipCurrentElement();
        } else if (isStart(xml, kText, QLatin1String("note")) ||
                   isStart(xml, kOffice, QLatin1String("annotation"))) {
            xml.skipCurrentElement();
        } else if (xml.isStartElement()) {
            ++depth;
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    return fits;
}

// The text of a <table:table-cell> just started, read to its end, and its kind. A text
// past the cell limit stops the reading: out says why.
QString cellText(QXmlStreamReader &xml, CellKind &kind, SheetFiller &out, qint64 row, qint64 column)
{
    const auto a = xml.attributes();
    const bool formula = a.hasAttribute(kTable, QLatin1String("formula"));
    kind = CellKind::Text;
    const auto type = a.value(kOffice, QLatin1String("value-type"));
    const QString value = a.value(kOffice, QLatin1String("value")).toString();
    const QString date = a.value(kOffice, QLatin1String("date-value")).toString();
    const QString time = a.value(kOffice, QLatin1String("time-value")).toString();
    const QString truth = a.value(kOffice, QLatin1String("boolean-value")).toString();
    const QString string = a.value(kOffice, QLatin1String("string-value")).toString();

    QString paragraphs;
    bool first = true;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("p") && xml.namespaceUri() == kText) {
            if (!first) paragraphs += QLatin1Char('\n');
            first = false;
            if (!paragraph(xml, paragraphs, SheetFiller::MaxCellChars)) {
                out.fail(SheetFiller::cellTooLong(row, column));
                return {};
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    if (type == QLatin1String("float") || type == QLatin1String("percentage") ||
        type == QLatin1String("currency")) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok) {
            kind = CellKind::Number;
            return CellText::number(number);
        }
    } else if (type == QLatin1String("date")) {
        kind = CellKind::Number;
        return CellText::fromIsoDate(date);
    } else if (type == QLatin1String("time")) {
        kind = CellKind::Number;
        return CellText::fromIsoTime(time);
    } else if (type == QLatin1String("boolean")) {
        return CellText::truth(truth == QLatin1String("true"));
    } else if (type == QLatin1String("string") && !string.isEmpty()) {
        return string;
    }
    // A formula the writing program never calculated has neither a value nor a text.
    if (formula && type.isEmpty() && paragraphs.isEmpty()) kind = CellKind::Formula;
    return paragraphs;
}

struct Cell
{
    qint64 column, count;
    QString text;
    CellKind kind;
};

// Reads a <table:table-row> just started and puts its cells, repeated as often as the row
// is, from sheet row `row` on. Returns false when the sheet passes its limits.
bool readRow(QXmlStreamReader &xml, qint64 &row, SheetFiller &out)
{
    const qint64 rows = repeat(xml, QLatin1String("number-rows-repeated"));
    std::vector<Cell> cells;
    qint64 column = 1, filled = 0;
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() == kTable && (xml.name() == QLatin1String("table-cell") ||
                                             xml.name() == QLatin1String("covered-table-cell"))) {
            const qint64 count = repeat(xml, QLatin1String("number-columns-repeated"));
            CellKind kind = CellKind::Text;
            QString text = cellText(xml, kind, out, row, column);
            if (out.failed()) return false;
            if (!text.isEmpty() || kind == CellKind::Formula) {
                // Each distinct text is kept once however often it repeats; the repeats are
                // counted as cells before any is made.
                filled += count;
                if (!out.spend(text.size()) || !out.expect(filled)) return false;
                cells.push_back({column, count, std::move(text), kind});
            }
            column += count;
        } else {
            xml.skipCurrentElement();
        }
    }
    // A repeated row is counted whole before it is laid out.
    if (!cells.empty() && !out.expect(filled * rows)) return false;
    for (qint64 r = 0; r < rows && !cells.empty(); ++r)
        for (const Cell &cell : cells)
            for (qint64 c = 0; c < cell.count; ++c)
                if (!out.add(row + r, cell.column + c, cell.text, cell.kind)) return false;
    row += rows;
    return true;
}

// Reads the table named `name` (the first table when name is empty). Returns "" when read,
// a reason on failure, and sets found = false when no such table exists.
QString readTable(const QByteArray &content, const QString &name, SheetFiller &out, bool &found)
{
    QXmlStreamReader xml(content);
    found = false;
    while (!xml.atEnd() && !found) {
        xml.readNext();
        if (!isStart(xml, kTable, QLatin1String("table"))) continue;
        if (!name.isEmpty() && xml.attributes().value(kTable, QLatin1String("name")) != name) {
            xml.skipCurrentElement();
            continue;
        }
        found = true;
        qint64 row = 1;
        // Rows may sit in header-row, row-group and rows elements; columns, shapes and
        // forms hold no cell texts.
        for (int depth = 1; depth > 0 && !xml.atEnd();) {
            xml.readNext();
            if (isStart(xml, kTable, QLatin1String("table-row"))) {
                if (!readRow(xml, row, out)) return out.error();
            } else if (isStart(xml, kTable, QLatin1String("table-header-rows")) ||
                       isStart(xml, kTable, QLatin1String("table-row-group")) ||
                       isStart(xml, kTable, QLatin1String("table-rows"))) {
                ++depth;
            } else if (xml.isStartElement()) {
                xml.skipCurrentElement();
            } else if (xml.isEndElement()) {
                --depth;
            }
        }
    }
    if (xml.hasError())
        return QStringLiteral("content.xml is not valid XML (line %1: %2)")
            .arg(xml.lineNumber())
            .arg(xml.errorString());
    return {};
}

// The table shown when the document was saved, from settings.xml; "" when not recorded.
QString activeTable(const ZipParts &zip)
{
    if (!zip.contains(QStringLiteral("settings.xml"))) return {};
    QString ignored;
    QXmlStreamReader xml(zip.read(QStringLiteral("settings.xml"), &ignored));
    while (!xml.atEnd()) {
        xml.readNext();
        if (isStart(xml, kConfig, QLatin1String("config-item")) &&
            xml.attributes().value(kConfig, QLatin1String("name")) == QLatin1String("ActiveTable"))
            return xml.readElementText();
    }
    return {};
}

} // namespace

bool recognises(const ZipParts &zip)
{
    QString ignored;
    return zip.contains(QStringLiteral("mimetype")) &&
           zip.read(QStringLiteral("mimetype"), &ignored)
               .trimmed()
               .startsWith("application/vnd.oasis.opendocument.spreadsheet");
}

QString read(const ZipParts &zip, SheetFiller &out)
{
    QString error;
    const QByteArray content = zip.read(QStringLiteral("content.xml"), &error);
    if (!error.isEmpty()) return error;
    bool found = false;
    const QString active = activeTable(zip);
    if (!active.isEmpty()) error = readTable(content, active, out, found);
    if (error.isEmpty() && !found) error = readTable(content, QString(), out, found);
    if (error.isEmpty() && !found) error = QStringLiteral("the document has no sheet");
    return error;
}

} // namespace zc::OdsReader

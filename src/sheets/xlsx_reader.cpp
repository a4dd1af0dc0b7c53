#include "sheets/xlsx_reader.h"

#include "sheets/cell_text.h"
#include "sheets/sheet_filler.h"
#include "sheets/zip_parts.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <vector>

namespace zc::XlsxReader {

namespace {

using CellText::DateKind;

struct Relationship
{
    QString type, target;
};

bool isStart(const QXmlStreamReader &xml, QLatin1String name)
{
    return xml.isStartElement() && xml.name() == name;
}

QString xmlError(const QXmlStreamReader &xml, const QString &part)
{
    return QStringLiteral("%1 is not valid XML (line %2: %3)")
        .arg(part)
        .arg(xml.lineNumber())
        .arg(xml.errorString());
}

// "xl/workbook.xml" + "worksheets/sheet1.xml" -> "xl/worksheets/sheet1.xml"; targets that
// start with "/" are from the archive's root.
QString resolve(const QString &fromPart, const QString &target)
{
    if (target.startsWith(QLatin1Char('/'))) return QDir::cleanPath(target.mid(1));
    const qsizetype slash = fromPart.lastIndexOf(QLatin1Char('/'));
    return QDir::cleanPath(fromPart.left(slash + 1) + target);
}

// The relationships of a part, by id; empty when it has none.
QHash<QString, Relationship> relationships(const ZipParts &zip, const QString &part, QString *error)
{
    QHash<QString, Relationship> rels;
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    const QString relsPart =
        part.left(slash + 1) + QLatin1String("_rels/") + part.mid(slash + 1) + QLatin1String(".rels");
    if (!zip.contains(relsPart)) return rels;
    QXmlStreamReader xml(zip.read(relsPart, error));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!isStart(xml, QLatin1String("Relationship"))) continue;
        const auto a = xml.attributes();
        if (a.value(QLatin1String("TargetMode")) == QLatin1String("External")) continue;
        rels.insert(a.value(QLatin1String("Id")).toString(),
                    {a.value(QLatin1String("Type")).toString(),
                     resolve(part, a.value(QLatin1String("Target")).toString())});
    }
    if (xml.hasError()) *error = xmlError(xml, relsPart);
    return rels;
}

QString targetOfType(const QHash<QString, Relationship> &rels, QLatin1String typeSuffix)
{
    for (const Relationship &r : rels)
        if (r.type.endsWith(typeSuffix)) return r.target;
    return {};
}

QString workbookPart(const ZipParts &zip)
{
    QString ignored;
    const QString part =
        targetOfType(relationships(zip, QString(), &ignored), QLatin1String("/officeDocument"));
    return zip.contains(part) ? part : QStringLiteral("xl/workbook.xml");
}

// Texts may carry characters XML cannot hold as _xHHHH_ ("_x000D_"); "_x005F_" is a "_".
QString unescape(const QString &text)
{
    if (!text.contains(QLatin1String("_x"))) return text;
    static const QRegularExpression re(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype last = 0;
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(last, m.capturedStart() - last);
        out += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        last = m.capturedEnd();
    }
    return out + text.mid(last);
}

// The text of the element just started (<si>, <is>): its <t> runs, phonetic guides left out.
QString richText(QXmlStreamReader &xml)
{
    QString text;
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        xml.readNext();
        if (isStart(xml, QLatin1String("rPh"))) {
            xml.skipCurrentElement();
        } else if (isStart(xml, QLatin1String("t"))) {
            text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.isStartElement()) {
            ++depth;
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    return unescape(text);
}

struct Workbook
{
    QString sheetPart;
    bool date1904 = false;
    std::vector<QString> shared;
    std::vector<DateKind> xfKinds; // by cell format index
};

QString readWorkbook(const ZipParts &zip, Workbook &wb, SheetFiller &out)
{
    QString error;
    const QString part = workbookPart(zip);
    const auto rels = relationships(zip, part, &error);
    const QByteArray bytes = zip.read(part, &error);
    if (!error.isEmpty()) return error;

    QXmlStreamReader xml(bytes);
    QStringList sheetIds;
    int active = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("workbookPr")) {
            const auto v = a.value(QLatin1String("date1904"));
            wb.date1904 = v == QLatin1String("1") || v == QLatin1String("true");
        } else if (xml.name() == QLatin1String("workbookView") &&
                   a.hasAttribute(QLatin1String("activeTab"))) {
            active = a.value(QLatin1String("activeTab")).toInt();
        } else if (xml.name() == QLatin1String("sheet")) {
            for (const auto &attr : a)
                if (attr.name() == QLatin1String("id") && !attr.namespaceUri().isEmpty())
                    sheetIds << attr.value().toString();
        }
    }
    if (xml.hasError()) return xmlError(xml, part);
    if (sheetIds.isEmpty()) return QStringLiteral("the workbook has no sheet");
    const QString id = sheetIds.value(active, sheetIds.first());
    wb.sheetPart = rels.value(id).target;
    if (!zip.contains(wb.sheetPart)) return QStringLiteral("the workbook's sheet is missing");

    if (const QString sst = targetOfType(rels, QLatin1String("/sharedStrings")); zip.contains(sst)) {
        QXmlStreamReader s(zip.read(sst, &error));
        while (!s.atEnd()) {
            s.readNext();
            if (!isStart(s, QLatin1String("si"))) continue;
            // Shared texts are counted as they are read: a list of millions of them, or of
            // long ones, is refused before it fills memory.
            if (wb.shared.size() >= std::size_t(SheetFiller::MaxSharedTexts)) {
                out.fail(QStringLiteral("the workbook lists more than %1 shared texts")
                             .arg(SheetFiller::grouped(SheetFiller::MaxSharedTexts)));
                return out.error();
            }
            wb.shared.push_back(richText(s));
            if (!out.spend(wb.shared.back().size())) return out.error();
        }
        if (s.hasError()) return xmlError(s, sst);
    }

    if (const QString styles = targetOfType(rels, QLatin1String("/styles")); zip.contains(styles)) {
        QXmlStreamReader s(zip.read(styles, &error));
        QHash<int, QString> codes;
        std::vector<int> xfFormats;
        bool inCellXfs = false;
        while (!s.atEnd()) {
            s.readNext();
            if (s.isEndElement() && s.name() == QLatin1String("cellXfs")) inCellXfs = false;
            if (!s.isStartElement()) continue;
            const auto a = s.attributes();
            if (s.name() == QLatin1String("numFmt"))
                codes.insert(a.value(QLatin1String("numFmtId")).toInt(),
                             a.value(QLatin1String("formatCode")).toString());
            else if (s.name() == QLatin1String("cellXfs"))
                inCellXfs = true;
            else if (inCellXfs && s.name() == QLatin1String("xf"))
                xfFormats.push_back(a.value(QLatin1String("numFmtId")).toInt());
        }
        if (s.hasError()) return xmlError(s, styles);
        for (int id : xfFormats)
            wb.xfKinds.push_back(codes.contains(id) ? CellText::formatKind(codes.value(id))
                                                    : CellText::builtinFormatKind(id));
    }
    return error;
}

// "BC12" -> column 55, row 12; false when it is no cell reference.
bool parseReference(QStringView ref, qint64 &row, qint64 &column)
{
    qsizetype i = 0;
    qint64 c = 0, r = 0;
    for (; i < ref.size() && ref[i].isLetter() && i < 4; ++i)
        c = c * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    const qsizetype digits = ref.size() - i;
    if (c == 0 || digits < 1 || digits > 9) return false;
    for (; i < ref.size(); ++i) {
        if (!ref[i].isDigit()) return false;
        r = r * 10 + ref[i].digitValue();
    }
    row = r;
    column = c;
    return r > 0;
}

QString cellText(const Workbook &wb, QStringView type, int xf, const QString &value,
                 const QString &inlineText, CellKind &kind)
{
    kind = CellKind::Text;
    if (type == QLatin1String("s")) {
        bool ok = false;
        const qsizetype i = value.toLongLong(&ok);
        return ok && i >= 0 && i < qsizetype(wb.shared.size()) ? wb.shared[std::size_t(i)] : QString();
    }
    if (type == QLatin1String("inlineStr")) return inlineText;
    if (type == QLatin1String("str") || type == QLatin1String("e")) return value;
    if (type == QLatin1String("b")) return value.isEmpty() ? QString() : CellText::truth(value.toInt() != 0);
    if (type == QLatin1String("d")) {
        kind = CellKind::Number;
        return CellText::fromIsoDate(value);
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok) return value;
    kind = CellKind::Number;
    const DateKind dateKind =
        xf >= 0 && xf < int(wb.xfKinds.size()) ? wb.xfKinds[std::size_t(xf)] : DateKind::None;
    return CellText::fromSerial(number, dateKind, wb.date1904);
}

} // namespace

bool recognises(const ZipParts &zip)
{
    return zip.contains(workbookPart(zip));
}

QString read(const ZipParts &zip, SheetFiller &out)
{
    Workbook wb;
    if (QString error = readWorkbook(zip, wb, out); !error.isEmpty()) return error;
    QString error;
    QXmlStreamReader xml(zip.read(wb.sheetPart, &error));
    if (!error.isEmpty()) return error;

    qint64 row = 0, column = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (isStart(xml, QLatin1String("row"))) {
            const qint64 r = xml.attributes().value(QLatin1String("r")).toLongLong();
            row = r > 0 ? r : row + 1;
            column = 0;
        } else if (isStart(xml, QLatin1String("c"))) {
            const auto a = xml.attributes();
            const QString type = a.value(QLatin1String("t")).toString();
            const int xf = a.hasAttribute(QLatin1String("s")) ? a.value(QLatin1String("s")).toInt() : 0;
            qint64 r = row, c = column + 1;
            if (a.hasAttribute(QLatin1String("r")) && !parseReference(a.value(QLatin1String("r")), r, c))
                return QStringLiteral("a cell of %1 has the bad reference \"%2\"")
                    .arg(wb.sheetPart, a.value(QLatin1String("r")).toString().left(20));
            row = r;
            column = c;
            QString value, inlineText;
            bool formula = false, hasValue = false;
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("v")) {
                    value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                    hasValue = true;
                } else if (xml.name() == QLatin1String("is")) {
                    inlineText = richText(xml);
                    hasValue = true;
                    if (!out.spend(inlineText.size())) return out.error();
                } else {
                    formula = formula || xml.name() == QLatin1String("f");
                    xml.skipCurrentElement();
                }
            }
            CellKind kind = CellKind::Text;
            const QString text = cellText(wb, type, xf, value, inlineText, kind);
            // A formula the writing program never calculated has no <v>.
            if (formula && !hasValue) kind = CellKind::Formula;
            if (!out.add(row, column, text, kind)) return out.error();
        }
    }
    if (xml.hasError()) return xmlError(xml, wb.sheetPart);
    return {};
}

} // namespace zc::XlsxReader

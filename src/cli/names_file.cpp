#include "cli/names_file.h"

#include "cli/input_file.h"
#include "numbers/number_check.h"
#include "numbers/number_save_checks.h"
#include "sheets/workbook_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringList>

#include <algorithm>

namespace zc::cli {

namespace {

// Comma-separated text as spreadsheet programs write it: fields in double quotes may hold
// commas, doubled quotes and line ends.
QList<QStringList> csvRows(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = any = true;
        } else if (c == u',') {
            row << field;
            field.clear();
            any = true;
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            row << field;
            rows << row;
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.isEmpty()) {
        row << field;
        rows << row;
    }
    return rows;
}

} // namespace

QString NamesFile::key(const QString &number)
{
    return NumberSaveChecks::subscriberKey(number.trimmed());
}

QString NamesFile::nameOf(const QString &number) const
{
    return m_names.value(key(number));
}

QString NamesFile::load(const QString &path)
{
    m_names.clear();
    if (const QString problem = inputFileProblem(path); !problem.isEmpty())
        return QStringLiteral("%1: %2").arg(path, problem);
    QList<QStringList> rows;
    if (QFileInfo(path).suffix().toLower() == QLatin1String("csv")) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("%1: %2").arg(path, file.errorString());
        QByteArray bytes = file.readAll();
        if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
        rows = csvRows(QString::fromUtf8(bytes));
    } else {
        const SheetReadResult read = WorkbookReader::read(path);
        if (!read.ok()) return read.error;
        for (int r = 1; r <= read.sheet.rowCount(); ++r)
            rows << QStringList{read.sheet.text(r, 1), read.sheet.text(r, 2)};
    }
    QHash<QString, int> rowOf;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const int line = int(i) + 1;
        const QString number = rows[i].value(0).trimmed();
        const QString name = rows[i].value(1).trimmed();
        if (number.isEmpty() && name.isEmpty()) continue;
        // A header: words where the first number would be.
        if (rowOf.isEmpty() && line == 1 &&
            std::any_of(number.begin(), number.end(), [](QChar c) { return c.isLetter(); }))
            continue;
        if (number.isEmpty())
            return QStringLiteral("%1: row %2: the name %3 has no number").arg(path).arg(line).arg(name);
        if (const QString why = NumberCheck::cellRefusal(NumberColumn::Number, number); !why.isEmpty())
            return QStringLiteral("%1: row %2: %3").arg(path).arg(line).arg(why);
        const QString k = key(number);
        if (rowOf.contains(k))
            return QStringLiteral("%1: row %2: the number %3 is also in row %4")
                .arg(path)
                .arg(line)
                .arg(number)
                .arg(rowOf.value(k));
        rowOf.insert(k, line);
        m_names.insert(k, name);
    }
    return {};
}

QJsonValue nameValue(const NamesFile &names, const QString &number)
{
    const QString name = names.nameOf(number);
    return name.isEmpty() ? QJsonValue() : QJsonValue(name);
}

QString namedSuffix(const NamesFile &names, const QString &number)
{
    const QString name = names.nameOf(number);
    return name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name);
}

} // namespace zc::cli

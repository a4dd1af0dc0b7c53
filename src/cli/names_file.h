// The names an installer keeps beside a unit's numbers: a CSV, XLSX or ODS file whose rows
// hold a number, a name and an optional note (a first row with words in its number cell
// is a header). The names only label what the program prints; they never reach a unit.
#pragma once

#include <QHash>
#include <QJsonValue>
#include <QString>

namespace zc::cli {

class NamesFile
{
public:
    // Reads the file; "" or why it is refused, naming the file and the row: a number the
    // list could not hold, or a number given twice.
    QString load(const QString &path);

    // The name kept for a number ("" when none). "0044..." and "+44..." are the same number.
    QString nameOf(const QString &number) const;
    int size() const { return int(m_names.size()); }

    // The form numbers are compared in: a leading "00" read as "+".
    static QString key(const QString &number);

private:
    QHash<QString, QString> m_names;
};

// The name kept for a number as a JSON value: null when none.
QJsonValue nameValue(const NamesFile &names, const QString &number);
// " (name)" after a line, or "" when no name is kept for the number.
QString namedSuffix(const NamesFile &names, const QString &number);

} // namespace zc::cli

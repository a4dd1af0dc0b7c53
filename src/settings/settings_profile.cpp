#include "settings/settings_profile.h"

#include "settings/settings_items.h"
#include "settings/settings_json.h"
#include "settings/settings_model.h"
#include "sheets/cell_text.h"
#include "sheets/json_envelope.h"
#include "sheets/workbook_reader.h"

#include <QHash>

#include <array>

namespace zc::SettingsProfile {

namespace {

constexpr int kWidths[SettingsModel::Columns] = {85, 45, 130};
constexpr int kLastRow = SettingsModel::Rows - 1; // 22: progress is row * 100 / 22

void report(const Progress &progress, int row, const char *status)
{
    if (progress) progress(row * 100 / kLastRow, QString::fromLatin1(status));
}

QString nameKey(const QString &name)
{
    return name.simplified().toCaseFolded();
}

// Each row is taken as the item of its position: a row whose column A names another item
// (a repeated or swapped row), or any row after item 22, would put its content into the
// wrong item. "" or the lines naming the rows.
QString layoutFaults(const Sheet &sheet)
{
    QHash<QString, int> itemOfName;
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item)
        itemOfName.insert(nameKey(SettingsCheck::itemName(item)), item);
    QStringList lines;
    QHash<int, int> rowOfItem; // item named -> the first row naming it
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item) {
        const int row = item + 1;
        const QString name = sheet.text(row, SettingsModel::NameColumn + 1);
        const int named = itemOfName.value(nameKey(name), 0);
        if (named == item) {
            rowOfItem.insert(item, row);
            continue;
        }
        const QString expected = SettingsCheck::itemName(item);
        if (named != 0 && rowOfItem.contains(named))
            lines << QStringLiteral("row %1: \"%2\" repeats row %3; row %1 must hold \"%4\"")
                         .arg(row)
                         .arg(name, QString::number(rowOfItem.value(named)), expected);
        else if (name.isEmpty())
            lines << QStringLiteral("row %1: column A is empty; it must hold \"%2\"").arg(row).arg(expected);
        else
            lines << QStringLiteral("row %1: column A holds \"%2\"; it must hold \"%3\"")
                         .arg(row)
                         .arg(name.left(60), expected);
        if (named != 0 && !rowOfItem.contains(named)) rowOfItem.insert(named, row);
    }
    // The first row past item 22 that holds anything, a formula without value included.
    const int lastRow = SettingsModel::LastItem + 1;
    int past = 0;
    const auto firstPast = [lastRow](const auto &cells) {
        for (const auto &[pos, value] : cells)
            if (pos.first > lastRow) return pos.first;
        return 0;
    };
    if (sheet.rowCount() > lastRow) {
        const int a = firstPast(sheet.cells()), b = firstPast(sheet.kinds());
        past = a && b ? qMin(a, b) : qMax(a, b);
    }
    if (past > 0) {
        const QString name = sheet.text(past, SettingsModel::NameColumn + 1).left(60);
        lines << QStringLiteral("row %1: a profile ends with item %2 on row %3; row %1 must be empty%4")
                     .arg(past)
                     .arg(SettingsModel::LastItem)
                     .arg(lastRow)
                     .arg(name.isEmpty() ? QString() : QStringLiteral(" (column A: \"%1\")").arg(name));
    }
    if (lines.isEmpty()) return {};
    return QStringLiteral("The profile's rows are not its items in order (row 2 holds item 1, row %1 item "
                          "%2, each named in column A):\n")
               .arg(SettingsModel::LastItem + 1)
               .arg(SettingsModel::LastItem) +
           lines.join(u'\n');
}

} // namespace

Sheet toSheet(const SettingsModel &model, const Progress &progress)
{
    Sheet sheet;
    for (int c = 0; c < SettingsModel::Columns; ++c)
        sheet.setColumnWidth(c + 1, kWidths[c]);
    for (int r = 0; r < SettingsModel::Rows; ++r) {
        for (int c = 0; c < SettingsModel::Columns; ++c)
            sheet.setText(r + 1, c + 1, model.text(r, c));
        report(progress, r, "Save profile");
    }
    for (int item : SettingsItems::pickItems())
        sheet.setText(item + 1, SettingsModel::ContentColumn + 1, model.pickText(item));
    return sheet;
}

QString numberCellWarning(const QList<int> &items)
{
    if (items.isEmpty()) return {};
    QStringList names;
    for (int item : items)
        names << SettingsCheck::itemName(item);
    const bool one = items.size() == 1;
    return QStringLiteral("The profile keeps %1 as %2, not as text: a leading 0 or \"+\" may have been "
                          "lost. Check %3 before saving.")
        .arg(names.join(QStringLiteral(" and ")),
             one ? QStringLiteral("a number") : QStringLiteral("numbers"),
             one ? QStringLiteral("it") : QStringLiteral("them"));
}

QString fromSheet(const Sheet &sheet, SettingsModel &model, const Progress &progress, SettingsCheck::Cut cut,
                  QList<int> *numberCells)
{
    if (sheet.text(1, 1) != QLatin1String("Items"))
        return QStringLiteral("Wrong format of the setting profile");
    if (const QString faults = layoutFaults(sheet); !faults.isEmpty()) return faults;
    // Every item is checked first, so a profile with any value the unit cannot hold changes
    // nothing at all, and the message names every such item at once.
    const auto contentOf = [&sheet](int item) {
        return sheet.text(item + 1, SettingsModel::ContentColumn + 1);
    };
    QStringList refusals;
    // The pick-list items, in the order their column B cells are read.
    const auto &pickItems = SettingsItems::pickItems();
    std::array<int, SettingsItems::PickListCount> picks{};
    for (std::size_t i = 0; i < pickItems.size(); ++i) {
        const SettingsCheck::Pick pick = SettingsCheck::pickOf(pickItems[i], contentOf(pickItems[i]));
        picks[i] = pick.index;
        if (!pick.refusal.isEmpty()) refusals << pick.refusal;
    }
    QList<int> digitNumbers;
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item) {
        const CellKind kind = sheet.kind(item + 1, SettingsModel::ContentColumn + 1);
        if (kind == CellKind::Formula) {
            refusals << SettingsCheck::itemName(item) + QStringLiteral(": a formula with no saved value");
            continue;
        }
        if (kind == CellKind::Number) {
            if (const QString lost = CellText::precisionLost(contentOf(item)); !lost.isEmpty()) {
                refusals << SettingsCheck::itemName(item) + QStringLiteral(": ") + lost;
                continue;
            }
            if (SettingsItems::find(item)->kind == SettingsItems::Kind::Digits) digitNumbers << item;
        }
        if (SettingsModel::isPickItem(item)) continue;
        if (const SettingsCheck::Stored s = SettingsCheck::store(item, contentOf(item), cut); !s.ok())
            refusals << s.refusal;
    }
    if (!refusals.isEmpty()) return refusals.join(u'\n');
    for (int r = SettingsModel::FirstItem; r <= SettingsModel::LastItem; ++r) {
        for (int c : {SettingsModel::ContentColumn, SettingsModel::DescriptionColumn})
            model.setText(r, c, sheet.text(r + 1, c + 1));
        report(progress, r, "Load profile");
    }
    for (std::size_t i = 0; i < pickItems.size(); ++i)
        model.setPickSelection(pickItems[i], picks[i]);
    if (numberCells) *numberCells = digitNumbers;
    return {};
}

SheetSaveResult exportToFile(const SettingsModel &model, const QString &chosenPath, const Progress &progress)
{
    return WorkbookWriter::save(toSheet(model, progress), chosenPath);
}

QString importFromFile(const QString &path, SettingsModel &model, const Progress &progress,
                       SettingsCheck::Cut cut, QList<int> *numberCells)
{
    const SheetReadResult read = JsonEnvelope::isJsonFile(path)
                                     ? WorkbookReader::readText(path, SettingsJson::toSheet)
                                     : WorkbookReader::read(path);
    return read.ok() ? fromSheet(read.sheet, model, progress, cut, numberCells) : read.error;
}

} // namespace zc::SettingsProfile

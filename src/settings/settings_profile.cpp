#include "settings/settings_profile.h"

#include "settings/settings_model.h"
#include "sheets/workbook_reader.h"

namespace zc::SettingsProfile {

namespace {

// The pick-list items, in the order their column B cells are written and read.
constexpr int kPickItems[6] = {3, 4, 8, 9, 11, 12};
constexpr int kWidths[SettingsModel::Columns] = {85, 45, 130};
constexpr int kLastRow = SettingsModel::Rows - 1; // 22: progress is row * 100 / 22

void report(const Progress &progress, int row, const char *status)
{
    if (progress) progress(row * 100 / kLastRow, QString::fromLatin1(status));
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
    for (int item : kPickItems)
        sheet.setText(item + 1, SettingsModel::ContentColumn + 1, model.pickText(item));
    return sheet;
}

QString fromSheet(const Sheet &sheet, SettingsModel &model, const Progress &progress, SettingsCheck::Cut cut)
{
    if (sheet.text(1, 1) != QLatin1String("Items"))
        return QStringLiteral("Wrong format of the setting profile");
    // Every item is checked first, so a profile with any value the unit cannot hold changes
    // nothing at all, and the message names every such item at once.
    const auto contentOf = [&sheet](int item) {
        return sheet.text(item + 1, SettingsModel::ContentColumn + 1);
    };
    QStringList refusals;
    int picks[6];
    for (int i = 0; i < 6; ++i) {
        const SettingsCheck::Pick pick = SettingsCheck::pickOf(kPickItems[i], contentOf(kPickItems[i]));
        picks[i] = pick.index;
        if (!pick.refusal.isEmpty()) refusals << pick.refusal;
    }
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item) {
        if (sheet.kind(item + 1, SettingsModel::ContentColumn + 1) == CellKind::Formula) {
            refusals << SettingsCheck::itemName(item) + QStringLiteral(": a formula with no saved value");
            continue;
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
    for (int i = 0; i < 6; ++i)
        model.setPickSelection(kPickItems[i], picks[i]);
    return {};
}

SheetSaveResult exportToFile(const SettingsModel &model, const QString &chosenPath, const Progress &progress)
{
    return WorkbookWriter::save(toSheet(model, progress), chosenPath);
}

QString importFromFile(const QString &path, SettingsModel &model, const Progress &progress,
                       SettingsCheck::Cut cut)
{
    const SheetReadResult read = WorkbookReader::read(path);
    return read.ok() ? fromSheet(read.sheet, model, progress, cut) : read.error;
}

} // namespace zc::SettingsProfile

#include "settings/settings_profile.h"

#include "link/digits.h"
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

// The first character of a pick-list cell as a decimal digit, or -1.
int leadingDigit(const QString &text)
{
    return !text.isEmpty() && isDigit(text.at(0).unicode()) ? text.at(0).digitValue() : -1;
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

QString fromSheet(const Sheet &sheet, SettingsModel &model, const Progress &progress)
{
    if (sheet.text(1, 1) != QLatin1String("Items"))
        return QStringLiteral("Wrong format of the setting profile");
    // Every pick-list cell is checked first, so a bad one changes nothing at all.
    int picks[6];
    for (int i = 0; i < 6; ++i) {
        const QString text = sheet.text(kPickItems[i] + 1, SettingsModel::ContentColumn + 1);
        picks[i] = leadingDigit(text);
        if (picks[i] < 0) {
            const int width = !text.isEmpty() && text.at(0).isHighSurrogate() ? 2 : 1;
            return QStringLiteral("'%1' is not a valid integer value").arg(text.left(width));
        }
    }
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

QString importFromFile(const QString &path, SettingsModel &model, const Progress &progress)
{
    const SheetReadResult read = WorkbookReader::read(path);
    return read.ok() ? fromSheet(read.sheet, model, progress) : read.error;
}

} // namespace zc::SettingsProfile

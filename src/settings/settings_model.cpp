#include "settings/settings_model.h"

namespace zc {

namespace {

struct ItemDefaults
{
    const char *name;
    const char *content;
    const char *description;
};

const char *const kOperatorHint = "Call mobile operator to ask the APN name if you need data function";

// Row r of this table is item r; row 0 is the header.
const ItemDefaults kRows[SettingsModel::Rows] = {
    {"Items", "Content", "Description"},
    {"1.Password", "8530", "Default Password:8530"},
    {"2.SIM Card Phone No", "", "Up to 21 digits, supports country code"},
    {"3.DIN1 Type", "", "Default:NO"},
    {"4.DIN2 Type", "", "Default:NO"},
    {"5.DIN1 Alarm Content", "Unauthorized door opened", "Up to 40 characters"},
    {"6.DIN2 Alarm Content", "DIN2 Alarm", "Up to 40 characters"},
    {"7.Auto Arm after authorized number call-in(0~999)", "10",
     "Default:10,Unit:Minute.Setting to 0 means Auto Re-Arm after 10s when door closed"},
    {"8.Arm/Disarm after power on", "", "Default:Disarm. System will alarm only on Arm status"},
    {"9.Relay Control Authorization", "", "Default:Only authorized number(s) can call to control"},
    {"10.Relay swtich ON timer(0~999, Unit:Second)", "0",
     "Default:0,means relay ON 0.5 seconds then OFF after call in"},
    {"11.When relay switch ON by authorized number,notify", "", "Default3:Admin Number;Caller Number"},
    {"12.When relay switch OFF by authorized number,notify", "", "Default3:Admin Number;Caller Number"},
    {"13.SMS content when relay ON", "Relay ON", "Up to 40 characters"},
    {"14.SMS content when relay OFF", "Relay OFF", "Up to 40 characters"},
    {"15.Power source failure alarm delay(0~999,Unit:Min)", "999",
     "Default:999,means no alarm.Setting as 000,alarm SMS once power failure."},
    {"16.Self-Check Report Interval(0-999,Unit:Hour)", "0", "Default:0,means no report"},
    {"17.GPRS Data Upload Interval Time(0-9999,Unit:Min)", "9999",
     "Default:9999,disable.Setting as 0 means always on line"},
    {"18.Server IP Address", "", "Up to 32 characters"},
    {"19.Server Port(0-65535)", "", "Default:65535"},
    {"20.GPRS APN", "", kOperatorHint},
    {"21.GPRS User Name", "", kOperatorHint},
    {"22.GPRS Password", "", kOperatorHint},
};

bool isCell(const QModelIndex &index, const QAbstractItemModel *model)
{
    return index.isValid() && index.model() == model && index.row() < SettingsModel::Rows &&
           index.column() < SettingsModel::Columns;
}

// The pick-list items in slot order, with their start-up selections.
constexpr int kPickItems[6] = {3, 4, 8, 9, 11, 12};
constexpr int kPickDefaults[6] = {1, 1, 0, 1, 3, 3};

} // namespace

SettingsModel::SettingsModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_pick.fill(-1);
    resetToDefaults();
}

int SettingsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Rows;
}

int SettingsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant SettingsModel::data(const QModelIndex &index, int role) const
{
    if (!isCell(index, this)) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return m_texts[index.row()][index.column()];
    return {};
}

bool SettingsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !isCell(index, this)) return false;
    if (!(flags(index) & Qt::ItemIsEditable)) return false;
    setText(index.row(), index.column(), value.toString());
    return true;
}

Qt::ItemFlags SettingsModel::flags(const QModelIndex &index) const
{
    if (!isCell(index, this)) return Qt::NoItemFlags;
    // Header row and name column are fixed; descriptions can be selected but not edited.
    if (index.row() == 0 || index.column() == NameColumn) return Qt::ItemIsEnabled;
    if (index.column() == DescriptionColumn) return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QString SettingsModel::text(int row, int column) const
{
    if (row < 0 || row >= Rows || column < 0 || column >= Columns) return {};
    return m_texts[row][column];
}

void SettingsModel::setText(int row, int column, const QString &text)
{
    if (row < 0 || row >= Rows || column < 0 || column >= Columns) return;
    QString &cell = m_texts[row][column];
    if (cell == text) return;
    cell = text;
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
}

void SettingsModel::setContent(int item, const QString &text)
{
    if (item >= FirstItem && item <= LastItem) setText(item, ContentColumn, text);
}

int SettingsModel::pickSlot(int item)
{
    for (int i = 0; i < 6; ++i)
        if (kPickItems[i] == item) return i;
    return -1;
}

bool SettingsModel::isPickItem(int item)
{
    return pickSlot(item) >= 0;
}

QStringList SettingsModel::pickEntries(int item)
{
    switch (item) {
    case 3:
    case 4:
        return {QStringLiteral("0:NC "), QStringLiteral("1:NO")};
    case 8:
        return {QStringLiteral("0:Disarm"), QStringLiteral("1:Arm")};
    case 9:
        return {QStringLiteral("0:All number can call to control the Relay"),
                QStringLiteral("1:Only the authorized number can call to control the relay")};
    case 11:
    case 12:
        return {QStringLiteral("0:None"), QStringLiteral("1:Admin Number"), QStringLiteral("2:Caller Number"),
                QStringLiteral("3:Admin Number;Caller Number")};
    default:
        return {};
    }
}

int SettingsModel::pickSelection(int item) const
{
    const int slot = pickSlot(item);
    return slot < 0 ? -1 : m_pick[slot];
}

void SettingsModel::setPickSelection(int item, int index)
{
    const int slot = pickSlot(item);
    if (slot < 0) return;
    if (index < 0 || index >= pickEntries(item).size()) index = -1;
    if (m_pick[slot] == index) return;
    m_pick[slot] = index;
    emit pickSelectionChanged(item);
}

QString SettingsModel::pickText(int item) const
{
    const int sel = pickSelection(item);
    return sel < 0 ? QString() : pickEntries(item).at(sel);
}

void SettingsModel::resetToDefaults()
{
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c)
            m_texts[r][c] = QString::fromUtf8(c == 0   ? kRows[r].name
                                              : c == 1 ? kRows[r].content
                                                       : kRows[r].description);
    emit dataChanged(index(0, 0), index(Rows - 1, Columns - 1), {Qt::DisplayRole, Qt::EditRole});
    for (int i = 0; i < 6; ++i)
        setPickSelection(kPickItems[i], kPickDefaults[i]);
}

} // namespace zc

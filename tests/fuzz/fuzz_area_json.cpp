// Any bytes as the areas' JSON files: each codec reads them or refuses them with a reason,
// never faults, and a list it takes has every row in its place.
#include "history/history_json.h"
#include "numbers/numbers_json.h"
#include "numbers/numbers_model.h"
#include "settings/settings_json.h"
#include "sheets/sheet.h"

#include <cstdint>

using namespace zc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const QList<QStringList> cells = NumbersJson::cells(bytes, &error);
    if (error.isEmpty() != (cells.size() == NumbersModel::Rows)) __builtin_trap();
    Sheet sheet;
    SettingsJson::toSheet(bytes, sheet);
    const QList<HistoryModel::Record> records = HistoryJson::records(bytes, &error);
    if (!error.isEmpty() && !records.isEmpty()) __builtin_trap();
    return 0;
}

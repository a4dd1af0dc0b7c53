#include "words/save_words.h"

#include "numbers/number_list_check.h"
#include "numbers/numbers_model.h"
#include "numbers/telephone_send.h"

#include <QStringList>

namespace zc::SaveWords {

QString duplicateQuestion(const QList<NumberSaveChecks::Duplicate> &duplicates)
{
    if (duplicates.isEmpty()) return {};
    constexpr int kShown = 10;
    QStringList lines;
    for (qsizetype i = 0; i < duplicates.size() && i < kShown; ++i) {
        QStringList rows;
        for (int r : duplicates[i].rows)
            rows << QString::number(r);
        lines
            << QStringLiteral("%1 is in rows %2").arg(duplicates[i].number, rows.join(QStringLiteral(", ")));
    }
    if (duplicates.size() > kShown)
        lines << QStringLiteral("... and %1 more numbers.").arg(duplicates.size() - kShown);
    return QStringLiteral("%1 %2 kept in more than one row:\n")
               .arg(duplicates.size())
               .arg(duplicates.size() == 1 ? QStringLiteral("number is") : QStringLiteral("numbers are")) +
           lines.join(u'\n') + QStringLiteral("\nSave the list anyway?");
}

QString cutQuestion(const QList<SettingsCheck::CutText> &cut)
{
    if (cut.isEmpty()) return {};
    QStringList lines;
    for (const SettingsCheck::CutText &c : cut)
        lines << QStringLiteral("%1: %2 bytes, the unit keeps %3; %4 would be lost")
                     .arg(SettingsCheck::itemName(c.item))
                     .arg(c.bytes)
                     .arg(c.width)
                     .arg(SettingsCheck::quoted(c.lost));
    return QStringLiteral("These texts are longer than the unit keeps and would be cut:\n") +
           lines.join(u'\n') + QStringLiteral("\nSave the settings anyway?");
}

QString missingWindows(const NumbersModel &model, const QList<int> &rows)
{
    if (rows.isEmpty()) return {};
    QStringList serials;
    for (int r : rows)
        serials << model.text(r, NumberColumn::Serial);
    return QStringLiteral("Wrong operation:please select \"Always\" or setting the Start-End date and "
                          "time.Total:%1\rWrong serial number:%2")
        .arg(QString::number(serials.size()), joinFirstThree(serials));
}

QString listRefusal(const TtelephoneSend &send, const NumbersModel &model)
{
    return send.missingWindows() ? missingWindows(model, send.refusedRows()) : send.refusal();
}

} // namespace zc::SaveWords

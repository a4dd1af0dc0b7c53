#include "numbers/telephone_send.h"

#include "link/page_encoding.h"
#include "numbers/number_check.h"
#include "numbers/number_list_check.h"
#include "numbers/numbers_codec.h"
#include "numbers/numbers_model.h"

namespace zc {

void TtelephoneSend::decodePage()
{
    NumbersCodec::decodePage(NumbersCodec::pageOfAddress(address), data, m_model);
}

bool TtelephoneSend::encodePages(std::vector<Page> &pages, QString &refusal)
{
    m_refusedRows.clear();
    // A row with neither "Always" nor a whole window is refused in the list's own words.
    refusal = ValidateNumberList(m_model);
    if (!refusal.isEmpty()) {
        m_refusedRows = wrongRows(m_model);
        return false;
    }
    // Encoding checks every row the unit is sent, once; the refusal names every row it
    // refuses, so a save never stops half way and never cuts or guesses a value.
    NumberCheck::RowReasons refused;
    const auto encode = [&](int page) {
        NumbersCodec::EncodeResult result = NumbersCodec::encodePage(page, m_model);
        if (!result.ok) refused += result.refused;
        return result;
    };
    if (encodeEveryPage(kNumberPages, pages, encode, OnRefusal::GoOn)) return true;
    refusal = NumberCheck::saveRefusal(refused);
    for (const auto &[row, why] : refused)
        m_refusedRows << row;
    return false;
}

} // namespace zc

#include "numbers/telephone_send.h"

#include "link/reporter.h"
#include "numbers/number_check.h"
#include "numbers/number_list_check.h"
#include "numbers/numbers_codec.h"
#include "numbers/numbers_model.h"

namespace zc {

QString TtelephoneSend::saveRefusal() const
{
    const QString wrong = ValidateNumberList(m_model);
    if (!wrong.isEmpty()) return wrong;
    // Every cell the encoder reads is checked before the first frame, so a save never
    // stops half way and never cuts or guesses a value.
    return NumberCheck::saveRefusal(m_model);
}

bool TtelephoneSend::Save()
{
    const QString refusal = saveRefusal();
    if (!refusal.isEmpty()) {
        link().reporter->messageBox(refusal);
        return false;
    }
    return startSave();
}

void TtelephoneSend::decodePage()
{
    NumbersCodec::decodePage(NumbersCodec::pageOfAddress(address), data, m_model);
}

bool TtelephoneSend::encodePage(int page)
{
    const NumbersCodec::EncodeResult result = NumbersCodec::encodePage(page, m_model);
    if (!result.ok) {
        link().reporter->messageDialog(result.error);
        return false;
    }
    data = result.page;
    return true;
}

void TtelephoneSend::readComplete()
{
    link().reporter->messageBox(QStringLiteral("Authorized number list read to PC software success."));
}

void TtelephoneSend::saveComplete()
{
    link().reporter->messageBox(QStringLiteral("Authorized number list saved success"));
}

} // namespace zc

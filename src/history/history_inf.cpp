#include "history/history_inf.h"

#include "history/history_codec.h"
#include "history/history_model.h"
#include "link/reporter.h"

namespace zc {

void THistoryInf::decodePage()
{
    HistoryCodec::decodePage(address, data, m_model);
}

void THistoryInf::FinishHistoryRead()
{
    const int kept = HistoryCodec::FinishHistoryRead(m_model);
    m_store.takeFrom(m_model);
    if (link().reporter)
        link().reporter->setStatus(QStringLiteral("History read: %1 records kept").arg(kept));
}

} // namespace zc

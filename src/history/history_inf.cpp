#include "history/history_inf.h"

#include "history/history_codec.h"
#include "history/history_model.h"

namespace zc {

void THistoryInf::decodePage()
{
    HistoryCodec::decodePage(address, data, m_model);
}

int THistoryInf::FinishHistoryRead()
{
    m_kept = HistoryCodec::FinishHistoryRead(m_model);
    m_store.takeFrom(m_model);
    return m_kept;
}

} // namespace zc

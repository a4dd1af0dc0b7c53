#include "history/history_inf.h"

#include "history/history_codec.h"
#include "history/history_model.h"

namespace zc {

void THistoryInf::decodePage()
{
    HistoryCodec::decodePage(address, data, m_model);
}

void THistoryInf::FinishHistoryRead()
{
    HistoryCodec::FinishHistoryRead(m_model);
}

} // namespace zc

#include "cli/step_record.h"

namespace zc::cli {

StepRecord::Held StepRecord::held() const
{
    if (!isSave() || !outcome) return Held::Nothing;
    if (outcome->completed()) return Held::Whole;
    return outcome->pagesDone > 0 || outcome->inFlightUnknown ? Held::Part : Held::Nothing;
}

StepRecord::Result resultOf(Outcome::Kind kind)
{
    using R = StepRecord::Result;
    switch (kind) {
    case Outcome::Kind::Completed:
        return R::Completed;
    case Outcome::Kind::Refused:
        return R::Refused;
    case Outcome::Kind::TimedOut:
        return R::TimedOut;
    case Outcome::Kind::Damaged:
        return R::Damaged;
    case Outcome::Kind::PortLost:
        return R::PortLost;
    case Outcome::Kind::Stopped:
        break;
    }
    return R::Stopped;
}

Exit exitOf(StepRecord::Kind kind, StepRecord::Result result)
{
    using R = StepRecord::Result;
    switch (result) {
    case R::Pending:
    case R::Completed:
    case R::Skipped:
        return Exit::Done;
    case R::Refused:
        // The unit refused the password, a page or the delete; a read has nothing to refuse,
        // so a refusal there is a reply that makes no sense.
        return kind == StepRecord::Kind::Read ? Exit::NoReply : Exit::Unit;
    case R::TimedOut:
    case R::Damaged:
    case R::PortLost:
    case R::Stopped:
    case R::Failed:
        break;
    }
    return Exit::NoReply;
}

} // namespace zc::cli

#include "core/shell/SharedState.h"

#include "core/base/EventWait.h"
#include "core/base/RunTimeError.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

SharedState& shared() {
    static SharedState state;
    return state;
}

Prompts& requiredPrompts() {
    if (!shared().prompts)
        throw RunTimeError(ErrorNumber::ObjectRequired, u"No prompts"_s);
    return *shared().prompts;
}

void resetSharedState() {
    Prompts* prompts = shared().prompts;
    shared() = SharedState{};
    shared().prompts = prompts;
    resumeWaits();
}

} // namespace tovin

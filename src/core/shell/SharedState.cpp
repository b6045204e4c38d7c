#include "core/shell/SharedState.h"

#include "core/shell/EventWait.h"

namespace tovin {

SharedState& shared() {
    static SharedState state;
    return state;
}

void resetSharedState() {
    Prompts* prompts = shared().prompts;
    shared() = SharedState{};
    shared().prompts = prompts;
    resumeWaits();
}

} // namespace tovin

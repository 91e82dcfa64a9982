#include "envelopes/senderprofilefile.h"

#include "core/appstate.h"

void loadStartupSenderProfile(AppState& state, Services&)
{
    state.sender = SenderProfile();
}

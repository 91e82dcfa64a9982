#include "phone/dialersettingsfile.h"

#include "core/appstate.h"

void loadStartupDialerSettings(AppState& state, Services&)
{
    state.dialer = DialerSettings();
}

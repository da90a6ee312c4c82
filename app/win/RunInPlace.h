// Running the update window in this process: read the updater's own signature, create the
// window hidden, then either run the message loop (Administrators) or refuse with a message
// box and end.
#pragma once

#include "app/win/Administrator.h"

namespace hx::app {

// The membership test is a parameter so the refusal can be exercised where every user is
// an administrator.
void RunInPlace(bool (*isAdministrator)() = IsAdministrator);

} // namespace hx::app

// Running the update window in this process: create it hidden, then either run the
// message loop (Administrators) or refuse with a message box and end.
#pragma once

namespace hx::app {

void RunUpdateWindow();

} // namespace hx::app

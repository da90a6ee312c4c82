#include "app/win/UpdateWindow.h"

namespace hx::app {

// The window arrives with the ui and update modules; until then running in place ends at once.
void RunUpdateWindow() {}

} // namespace hx::app

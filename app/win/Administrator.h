// Membership of the built-in Administrators group (S-1-5-32-544).
#pragma once

#include <windows.h>

namespace hx::app {

// True when the calling thread's token, or else the process's token, lists the group.
// Deny-only and disabled entries count: a member whose process is not elevated passes.
bool IsAdministrator();

// The scan itself, over a group list as a token reports it.
bool GroupsListAdministrators(const TOKEN_GROUPS& groups);

} // namespace hx::app

#include "app/win/Administrator.h"

#include "app/StartUp.h"
#include "base/win/Handles.h"

#include <cstdint>
#include <span>
#include <vector>

namespace hx::app {
namespace {

// The token's group list, read into a buffer of the size the token asks for, so a member
// of very many groups is not refused. Empty on failure.
std::vector<std::uint64_t> ReadTokenGroups(HANDLE token) {
    std::vector<std::uint64_t> buffer;              // 8-byte units keep TOKEN_GROUPS aligned
    for (int attempt = 0; attempt < 4; ++attempt) { // the list may grow between the calls
        DWORD needed = 0;
        if (GetTokenInformation(token, TokenGroups, nullptr, 0, &needed) || needed == 0) {
            return {};
        }
        buffer.assign((needed + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t), 0);
        DWORD got = 0;
        if (GetTokenInformation(token, TokenGroups, buffer.data(), needed, &got)) {
            return buffer;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return {};
        }
    }
    return {};
}

} // namespace

bool GroupsListAdministrators(const TOKEN_GROUPS& groups) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    win::UniqueSid administrators;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  administrators.put())) {
        return false;
    }
    const std::span<const SID_AND_ATTRIBUTES> list(groups.Groups, groups.GroupCount);
    return FindGroup(list, administrators.get(),
                     [](const SID_AND_ATTRIBUTES& group, PSID wanted) {
                         return group.Sid && EqualSid(group.Sid, wanted);
                     })
        .has_value();
}

bool IsAdministrator() {
    win::UniqueHandle token;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.put())) {
        if (GetLastError() != ERROR_NO_TOKEN) {
            return false;
        }
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
            return false;
        }
    }
    const std::vector<std::uint64_t> buffer = ReadTokenGroups(token.get());
    token.reset();
    if (buffer.empty()) {
        return false;
    }
    return GroupsListAdministrators(*reinterpret_cast<const TOKEN_GROUPS*>(buffer.data()));
}

} // namespace hx::app

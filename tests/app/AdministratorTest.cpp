// The Administrators test against real tokens and against group lists built here.
#include "app/win/Administrator.h"

#include "base/win/Handles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace hx::app {
namespace {

// A SID owned by the test, built from its authority and sub-authorities.
win::UniqueSid MakeSid(BYTE authority, std::vector<DWORD> subs) {
    SID_IDENTIFIER_AUTHORITY a = {{0, 0, 0, 0, 0, authority}};
    const BYTE count = BYTE(std::min<size_t>(subs.size(), 8));
    subs.resize(8, 0);
    win::UniqueSid sid;
    AllocateAndInitializeSid(&a, count, subs[0], subs[1], subs[2], subs[3], subs[4], subs[5],
                             subs[6], subs[7], sid.put());
    return sid;
}

// A TOKEN_GROUPS laid out as a token reports it: the header, then GroupCount entries.
class GroupList {
public:
    void Add(win::UniqueSid sid, DWORD attributes) {
        entries_.push_back({sid.get(), attributes});
        sids_.push_back(std::move(sid));
    }
    const TOKEN_GROUPS& Get() {
        const size_t bytes = offsetof(TOKEN_GROUPS, Groups) +
                             std::max<size_t>(entries_.size(), 1) * sizeof(SID_AND_ATTRIBUTES);
        buffer_.assign((bytes + 7) / 8, 0);
        auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buffer_.data());
        groups->GroupCount = DWORD(entries_.size());
        auto* first = reinterpret_cast<SID_AND_ATTRIBUTES*>(reinterpret_cast<BYTE*>(groups) +
                                                            offsetof(TOKEN_GROUPS, Groups));
        std::copy(entries_.begin(), entries_.end(), first);
        return *groups;
    }

private:
    std::vector<win::UniqueSid> sids_;
    std::vector<SID_AND_ATTRIBUTES> entries_;
    std::vector<std::uint64_t> buffer_;
};

constexpr BYTE kNt = 5;
constexpr DWORD kEnabled = SE_GROUP_ENABLED | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_MANDATORY;

TEST(GroupsListAdministrators, FindsTheGroupAnywhereWhateverItsAttributes) {
    GroupList empty;
    EXPECT_FALSE(GroupsListAdministrators(empty.Get()));

    for (DWORD attributes : {kEnabled, DWORD(SE_GROUP_USE_FOR_DENY_ONLY), DWORD(0)}) {
        // Far more groups than a 1 KiB buffer holds, the administrators last.
        GroupList many;
        for (DWORD i = 0; i < 300; ++i) {
            many.Add(MakeSid(kNt, {21, 1000, 2000, 3000, 1100 + i}), kEnabled);
        }
        many.Add(MakeSid(kNt, {32, 544}), attributes);
        EXPECT_TRUE(GroupsListAdministrators(many.Get())) << attributes;
    }
}

TEST(GroupsListAdministrators, NearMissesDoNotCount) {
    GroupList list;
    list.Add(MakeSid(1, {0}), kEnabled);                  // Everyone
    list.Add(MakeSid(kNt, {32, 545}), kEnabled);          // Users
    list.Add(MakeSid(kNt, {21, 1, 2, 3, 544}), kEnabled); // a domain group with RID 544
    list.Add(MakeSid(kNt, {32}), kEnabled);               // the built-in domain itself
    list.Add(MakeSid(kNt, {32, 544, 0}), kEnabled);       // one sub-authority more
    list.Add(MakeSid(16, {32, 544}), kEnabled);           // another authority
    EXPECT_FALSE(GroupsListAdministrators(list.Get()));
}

// The Wine user is a member of the group, so both token paths must say so.
TEST(IsAdministrator, TheWineUserIsAnAdministrator) {
    EXPECT_TRUE(IsAdministrator()) << "process token";
    ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation));
    win::UniqueHandle token;
    EXPECT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.put()))
        << "the thread now has a token of its own";
    EXPECT_TRUE(IsAdministrator()) << "thread token";
    RevertToSelf();
}

} // namespace
} // namespace hx::app

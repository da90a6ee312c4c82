// The real program's window as a screen reader in another process reads it: every text and
// the three steps, at idle and while the download stalls.
#include "tests/e2e/FlowFixture.h"
#include "tests/windows/AccessibleTree.h"

#include <algorithm>

namespace hx::e2e {
namespace {

// COM on this thread, as a screen reader has it.
struct ComApartment {
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
};

TEST_F(UpdateFlow, AScreenReaderHearsEveryTextAndHowFarTheUpdateHasGot) {
    const ComApartment com;
    const std::string& installer = InstallerBytes();
    test::ScriptedServer server(
        {CheckAnswer("KORVEX|1"),
         {test::WaitRequest(),
          test::Send(LengthHead(installer.size()) + installer.substr(0, 4 * kBlock)),
          test::Pause(60000)}},
        kServerPort);
    ASSERT_EQ(server.port(), kServerPort);
    ASSERT_TRUE(StartUpdater());
    const HWND panelWindow = FindWindowExW(window_, nullptr, L"HXPanel", nullptr);
    ASSERT_TRUE(panelWindow);

    // Wine's standard objects of child windows tell nothing but their window, so the
    // progress bar, the last child, is only counted here (the in-process test finds it).
    const auto read = [](const test::ComPtr<IAccessible>& object) {
        auto children = test::DescribeChildren(object.Get());
        EXPECT_EQ(children.size(), 7u);
        children.resize(std::min<std::size_t>(children.size(), 6));
        return children;
    };
    std::vector<std::wstring> panel{
        L"text Download and install updates for Hexaplane",
        L"text Check for updates to Hexaplane",
        L"text Click the Update button below to download and install updates for Hexaplane.",
        L"check Find update",
        L"check Download update",
        L"check Install update",
    };
    EXPECT_EQ(read(test::ClientObject(panelWindow)), panel);

    ASSERT_TRUE(AcceptOffer());
    ASSERT_TRUE(PollUntilTrue(20s, [&] { return QueryPosition().value_or(0) > 0; }));
    const auto object = test::ClientObject(panelWindow); // asked while the download stalls
    ASSERT_TRUE(object);
    panel[3] = L"check Find update checked";
    panel[4] = L"check Download update mixed";
    EXPECT_EQ(read(object), panel);

    Click(close_);
    ExpectEnds(10s);
    long count = 0;
    EXPECT_TRUE(FAILED(object->get_accChildCount(&count))) << "the window has gone";
}

} // namespace
} // namespace hx::e2e

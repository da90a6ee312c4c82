// Hit testing, the ways through a container's items, what changed, and names as read.
#include "ui/Accessibility.h"

#include <gtest/gtest.h>

namespace hx::ui {
namespace {

using Change = AccessibleChange;
using Role = AccessibleRole;

std::vector<AccessibleItem> Sample() {
    std::vector<AccessibleItem> items(5);
    items[0].bounds = {0, 0, 100, 20};
    items[1].bounds = {10, 5, 20, 10}; // painted over the first
    items[2] = {Role::Window, u"", false, false, false, {0, 15, 100, 30}, nullptr};
    items[3].bounds = {150, 0, 40, 20};
    items[3].invisible = true;
    items[4] = {Role::CheckButton, u"Step", false, false, false, {150, 60, 40, 20}, nullptr};
    return items;
}

TEST(Accessibility, HitTestingAndNavigationFollowWhatIsShown) {
    const auto items = Sample();
    EXPECT_EQ(HitTest(items, 15, 8), 1u) << "later windowless items lie above earlier ones";
    EXPECT_EQ(HitTest(items, 15, 17), 2u) << "windows lie above windowless items";
    EXPECT_EQ(HitTest(items, 50, 2), 0u);
    EXPECT_EQ(HitTest(items, 160, 10), std::nullopt) << "hidden";
    EXPECT_EQ(HitTest(items, 100, 0), std::nullopt) << "right edge excluded";

    using D = AccessibleDirection;
    EXPECT_EQ(Navigate(items, std::nullopt, D::First), 0u);
    EXPECT_EQ(Navigate(items, std::nullopt, D::Last), 4u);
    EXPECT_EQ(Navigate(items, std::nullopt, D::Next), std::nullopt) << "the container's own";
    EXPECT_EQ(Navigate(items, 2, D::First), std::nullopt) << "items have no children here";
    EXPECT_EQ(Navigate(items, 3, D::Next), 4u) << "logical order keeps hidden items";
    EXPECT_EQ(Navigate(items, 4, D::Next), std::nullopt);
    EXPECT_EQ(Navigate(items, 0, D::Previous), std::nullopt);
    EXPECT_EQ(Navigate(items, 0, D::Right), 4u) << "the hidden one is passed over";
    EXPECT_EQ(Navigate(items, 0, D::Down), 4u) << "the window starts above the edge";
    EXPECT_EQ(Navigate(items, 4, D::Up), 2u) << "the nearest of those beyond the edge";
    EXPECT_EQ(Navigate(items, 4, D::Right), std::nullopt);
}

TEST(Accessibility, NamesAreReadWithoutAccessKeyMarks) {
    EXPECT_EQ(WithoutAccessKeyMarks(u"&Save && close&"), u"Save & close");
}

TEST(Accessibility, ChangesAreThoseAScreenReaderWouldNotice) {
    const auto before = Sample();
    auto after = before;
    after[0].bounds.width = 90;
    after[1].name = u"Renamed";
    after[2].bounds.top = 0; // a window announces itself
    after[4].checked = true;
    EXPECT_EQ(ChangesBetween(before, after),
              (std::vector<Change>{
                  {Change::Kind::Location, 0}, {Change::Kind::Name, 1}, {Change::Kind::State, 4}}));
    after.pop_back();
    EXPECT_EQ(ChangesBetween(before, after), std::vector<Change>{{Change::Kind::Reorder}});
    EXPECT_TRUE(ChangesBetween(before, before).empty());
}

} // namespace
} // namespace hx::ui

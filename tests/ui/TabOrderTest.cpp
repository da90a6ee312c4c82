// Where the focus goes when the control holding it is disabled or hidden: on in tab order,
// into a panel in its place, round to the start, never to the control itself.
#include "ui/TabOrder.h"

#include <gtest/gtest.h>

namespace hx::ui {
namespace {

TEST(TabOrder, TheFocusMovesOnToTheNextControlThatCanTakeIt) {
    Form form(u"TSample", u"Sample");
    const auto button = [&](const char16_t* name, Component& parent, int order) -> Button& {
        auto& b = form.Add<Button>(name, &form, &parent);
        b.SetTabOrder(order);
        return b;
    };
    Button& e = button(u"E", form, -1); // no tab order: last
    Button& b = button(u"B", form, 2);
    Button& a = button(u"A", form, 0);
    auto& panel = form.Add<Panel>(u"P", &form, &form);
    panel.SetTabOrder(1);
    button(u"C", panel, 0);
    button(u"D", panel, 1).SetTabStop(false);
    const auto next = [&](const Control& from) {
        const Control* to = NextFocusable(form, from);
        return to ? to->name() : u"none";
    };
    EXPECT_EQ(next(a), u"C");
    EXPECT_EQ(next(e), u"A");
    a.SetEnabled(false);
    EXPECT_EQ(next(a), u"C");
    EXPECT_EQ(FirstFocusable(form)->name(), u"C");
    panel.SetVisible(false);
    EXPECT_EQ(next(a), u"B") << "a hidden panel's controls are passed";
    b.SetEnabled(false);
    e.SetVisible(false);
    a.SetEnabled(true);
    EXPECT_EQ(next(a), u"none");
}

} // namespace
} // namespace hx::ui

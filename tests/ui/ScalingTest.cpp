// DPI arithmetic and scaling a form's model from 96 DPI to another.
#include "ui/Scaling.h"
#include "ui/Controls.h"

#include <gtest/gtest.h>

namespace hx::ui {
namespace {

TEST(Scaling, MultipliesFirstAndRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDivRound(441, 144, 96), 662); // 661.5
    EXPECT_EQ(MulDivRound(700, 144, 96), 1050);
    EXPECT_EQ(MulDivRound(441, 120, 96), 551); // 551.25
    EXPECT_EQ(MulDivRound(-11, 144, 96), -17); // -16.5
    EXPECT_EQ(MulDivRound(5, 1, 2), 3);
    EXPECT_EQ(MulDivRound(-5, 1, 2), -3);
    EXPECT_EQ(MulDivRound(5, -1, 2), -3);
    EXPECT_EQ(MulDivRound(7, 1, 3), 2);
    EXPECT_EQ(MulDivRound(-7, 1, 3), -2);
    // The product needs more than 32 bits; the result does not.
    EXPECT_EQ(MulDivRound(1 << 30, 3, 4), 805306368);
}

TEST(Scaling, ZeroDenominatorLeavesTheValue) {
    EXPECT_EQ(MulDivRound(17, 3, 0), 17);
}

TEST(Scaling, PointsAndHeightsConvertWithRounding) {
    EXPECT_EQ(PointsFromHeight(-11, 96), 8); // 8.25
    EXPECT_EQ(PointsFromHeight(-16, 96), 12);
    EXPECT_EQ(PointsFromHeight(-12, 96), 9);
    EXPECT_EQ(PointsFromHeight(-17, 144), 9); // 8.5 goes up
    EXPECT_EQ(PointsFromHeight(-15, 144), 8); // 7.5 goes up
    EXPECT_EQ(HeightFromPoints(9, 96), -12);
    EXPECT_EQ(HeightFromPoints(8, 96), -11); // 10.67
    EXPECT_EQ(HeightFromPoints(9, 144), -18);
    EXPECT_EQ(HeightFromPoints(7, 108), -11); // 10.5 goes away from zero
    // A positive height (cell height) keeps its sign through both conversions.
    EXPECT_EQ(PointsFromHeight(16, 96), -12);
    EXPECT_EQ(HeightFromPoints(-12, 96), 16);
}

TEST(Scaling, ScalesGeometryAndOwnFontsButNotFollowedFonts) {
    Form form(u"TTestForm", u"TestForm");
    form.SetClientSize(700, 441);
    Font windowFont;
    windowFont.face = u"Segoe UI";
    windowFont.height = -12;
    form.BindDesktopFont(windowFont);
    auto& panel = form.Add<Panel>(u"Panel", &form, &form);
    panel.SetBounds({0, 0, 700, 386});
    auto& own = form.Add<Label>(u"Own", &form, &panel);
    own.SetBounds({72, 82, 131, 13});
    Font heading = windowFont;
    heading.height = -11;
    heading.bold = true;
    own.SetFont(heading);
    auto& follows = form.Add<Label>(u"Follows", &form, &panel);
    follows.SetBounds({112, 310, 51, 13});
    auto& bevel = form.Add<Bevel>(u"Bevel", &form, &form);
    bevel.SetBounds({0, 386, 700, 5});

    ScaleForm(form, 144);

    EXPECT_EQ(form.pixelsPerInch(), 144);
    EXPECT_EQ(form.clientWidth(), 1050);
    EXPECT_EQ(form.clientHeight(), 662);
    EXPECT_EQ(panel.bounds(), (Rect{0, 0, 1050, 579}));
    EXPECT_EQ(own.bounds(), (Rect{108, 123, 197, 20})); // 196.5 and 19.5 go up
    EXPECT_EQ(follows.bounds(), (Rect{168, 465, 77, 20}));
    EXPECT_EQ(bevel.bounds(), (Rect{0, 579, 1050, 8})); // 7.5
    EXPECT_EQ(own.font().height, -17);
    EXPECT_TRUE(own.font().bold);
    EXPECT_EQ(form.font().height, -18);
    EXPECT_TRUE(form.desktopFont()) << "scaling is no change of the user's font";
    EXPECT_TRUE(follows.parentFont());
    EXPECT_EQ(follows.font().height, -18);

    ScaleForm(form, 144); // already there: nothing moves
    EXPECT_EQ(form.clientHeight(), 662);
}

} // namespace
} // namespace hx::ui

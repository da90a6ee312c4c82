// The font rules on the update window's model: desktop font, the 9-point cap and what
// NormaliseFonts gives the controls with fonts of their own.
#include "support/SystemFont.h"
#include "ui/Scaling.h"
#include "ui/Screen.h"
#include "update/UpdateForm.h"

#include <gtest/gtest.h>

#include <string>

namespace hx {
namespace {

using ui::Font;

Font IconTitle(int points, int dpi) {
    Font f;
    f.face = u"Segoe UI";
    f.height = ui::HeightFromPoints(points, dpi);
    f.italic = true; // a style the window must take over
    f.charset = 0;
    return f;
}

struct Expect {
    int iconPoints, window, heading;
    bool stillBound;
};

class FontRules : public ::testing::TestWithParam<Expect> {};

TEST_P(FontRules, IconTitleFontSizes) {
    const Expect e = GetParam();
    update::UpdateForm form;
    form.BindDesktopFont(ui::DesktopFontFrom(IconTitle(e.iconPoints, 96), 96, 96));
    NormaliseFonts(form);

    EXPECT_EQ(FontPoints(form.font(), 96), e.window);
    EXPECT_EQ(form.desktopFont(), e.stillBound) << "a capped font ends the desktop binding";
    EXPECT_TRUE(form.font().italic);
    EXPECT_EQ(form.font().colour, ui::Colour::Sys(ui::Colour::System::WindowText));

    // Controls that follow their parent show the window font, untouched.
    for (ui::Component* c : std::initializer_list<ui::Component*>{
             &form.UpdateButton, &form.CloseButton, &form.HelpButton, &form.UpdatePanel,
             &form.UpdateDescription, &form.UpdateLabel1, &form.UpdateLabel2, &form.UpdateLabel3}) {
        EXPECT_TRUE(c->parentFont()) << std::string(c->name().begin(), c->name().end());
        EXPECT_EQ(c->font(), form.font());
    }
    // The two with fonts of their own take the face and at least the size, keep the rest.
    const Font banner = form.BannerLabel.font();
    EXPECT_EQ(banner.face, u"Segoe UI");
    EXPECT_EQ(FontPoints(banner, 96), 12);
    EXPECT_TRUE(banner.bold);
    EXPECT_FALSE(banner.italic);
    EXPECT_EQ(banner.colour, ui::Colour::Rgb(255, 255, 255));
    const Font heading = form.UpdateHeading.font();
    EXPECT_EQ(heading.face, u"Segoe UI");
    EXPECT_EQ(FontPoints(heading, 96), e.heading);
    EXPECT_TRUE(heading.bold);
    EXPECT_EQ(heading.colour, ui::Colour::Sys(ui::Colour::System::WindowText));
}

INSTANTIATE_TEST_SUITE_P(UpdateWindow, FontRules,
                         ::testing::Values(Expect{8, 8, 8, true}, Expect{9, 9, 9, true},
                                           Expect{11, 9, 9, false}));

TEST(FontRules, PropertiesAreFoundByNameAndOnlyFontHoldersChange) {
    ui::Form form(u"TForm", u"Form");
    Font windowFont = IconTitle(9, 96);
    form.BindDesktopFont(windowFont);
    // A bigger own font keeps its size; an image has no font property at all.
    auto& big = form.Add<ui::Label>(u"Big", &form, &form);
    Font f;
    f.face = u"Tahoma";
    f.height = -21;
    f.underline = true;
    big.SetFont(f);
    auto& image = form.Add<ui::Image>(u"Picture", &form, &form);
    auto& events = form.Add<ui::ApplicationEvents>(u"Events", &form);
    NormaliseFonts(form);

    EXPECT_EQ(big.font().face, u"Segoe UI");
    EXPECT_EQ(big.font().height, -21);
    EXPECT_TRUE(big.font().underline);
    EXPECT_FALSE(image.ownFont());
    EXPECT_FALSE(events.ownFont());
    ASSERT_NE(big.FindProperty(u"PARENTFONT"), nullptr);
    EXPECT_EQ(image.FindProperty(u"font"), nullptr);
}

TEST(FontRules, DesktopFontKeepsPointsAcrossDpi) {
    // An icon-title font of 8 points at a 144 DPI system, for a window at 96 and at 144.
    const Font system = IconTitle(8, 144);
    EXPECT_EQ(ui::DesktopFontFrom(system, 144, 144).height, -16);
    EXPECT_EQ(ui::DesktopFontFrom(system, 144, 96).height, -11);
    EXPECT_EQ(ui::DesktopFontFrom(system, 144, 96).face, u"Segoe UI");
}

} // namespace
} // namespace hx

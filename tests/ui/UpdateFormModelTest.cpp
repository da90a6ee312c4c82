// The update window as a model: its definition, the idle visuals after creation, the step
// visuals the update sequence drives, and closing.
#include "support/SystemFont.h"
#include "update/UpdateForm.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace hx::update {
namespace {

class UpdateWindowModel : public ::testing::Test {
protected:
    void SetUp() override {
        // Natively the definition's pictures are read from the source tree.
        setenv("HX_RESOURCE_DIR", HX_SOURCE_DIR "/update/pictures", 1);
        Closing = false;
        ui::Application::Instance().Initialize();
    }
    void TearDown() override { ui::Application::Instance().DestroyForms(); }

    static void ExpectIdle(UpdateForm& f) {
        for (ui::Image* i : {&f.UpdateImage1, &f.UpdateImage2, &f.UpdateImage3}) {
            EXPECT_TRUE(i->visible()) << "idle picture";
        }
        for (ui::Image* i : {&f.UpdateImage4, &f.UpdateImage5, &f.UpdateImage6}) {
            EXPECT_FALSE(i->visible()) << "active picture";
        }
        for (ui::Label* l : {&f.UpdateLabel1, &f.UpdateLabel2, &f.UpdateLabel3}) {
            EXPECT_FALSE(l->font().bold);
        }
        for (ui::Image* box : {&f.CheckBoxImage1, &f.CheckBoxImage2, &f.CheckBoxImage3}) {
            EXPECT_EQ(box->picture(), f.Unchecked.picture());
        }
        EXPECT_FALSE(f.UpdateProgress.visible());
        EXPECT_EQ(f.UpdateProgress.position(), 0);
    }
};

TEST_F(UpdateWindowModel, DefinitionInCreationOrder) {
    UpdateForm form;
    std::u16string names;
    for (const auto& c : form.components()) {
        names += c->name() + u" ";
    }
    EXPECT_EQ(names, u"UpdateBevel UpdateButton CloseButton HelpButton UpdatePanel BannerImage "
                     u"BannerLabel UpdateHeading UpdateDescription UpdateImage2 UpdateImage1 "
                     u"UpdateImage3 UpdateImage4 UpdateImage5 UpdateImage6 CheckBoxImage1 "
                     u"Unchecked Checked UpdateLabel1 CheckBoxImage2 UpdateLabel2 "
                     u"CheckBoxImage3 UpdateLabel3 UpdateProgress ApplicationEvents HttpGet ");
    EXPECT_EQ(form.className(), u"THXUpdateForm");
    EXPECT_EQ(form.name(), u"HXUpdateForm");
    EXPECT_EQ(form.clientWidth(), 700);
    EXPECT_EQ(form.clientHeight(), 441);
    // Every picture decoded, and each check box holds its own copy of the empty box.
    EXPECT_EQ(form.BannerImage.picture().width(), 700u);
    EXPECT_EQ(form.UpdateImage6.picture().height(), 128u);
    EXPECT_FALSE(form.Checked.picture().empty());
    EXPECT_FALSE(form.Checked.picture() == form.Unchecked.picture());
    EXPECT_EQ(form.CheckBoxImage2.picture(), form.Unchecked.picture());
    EXPECT_NE(form.CheckBoxImage2.picture().bitmap(), form.Unchecked.picture().bitmap());
    EXPECT_NE(form.CheckBoxImage2.picture().bitmap(), form.CheckBoxImage3.picture().bitmap());
    // The definition's progress position; creation resets it.
    EXPECT_EQ(form.UpdateProgress.position(), 100);
}

TEST_F(UpdateWindowModel, CreationLeavesTheWindowIdleAndCaptioned) {
    UpdateForm& form = CreateUpdateForm();
    ExpectIdle(form);
    EXPECT_TRUE(form.UpdateLabel1.parentFont()) << "resetting must not end the binding";
    EXPECT_TRUE(form.desktopFont());
    EXPECT_EQ(form.caption(), u"Update Hexaplane");
    EXPECT_EQ(form.UpdateButton.caption(), u"&Update");
    EXPECT_EQ(form.UpdateLabel3.caption(), u"Install update");
    EXPECT_EQ(form.UpdatePanel.caption(), u"");
}

TEST_F(UpdateWindowModel, StepLookAndBoxAreSetApartAndResetTogether) {
    UpdateForm& form = CreateUpdateForm();
    form.ActivateStep(2);
    EXPECT_FALSE(form.UpdateImage2.visible());
    EXPECT_TRUE(form.UpdateImage5.visible());
    EXPECT_TRUE(form.UpdateLabel2.font().bold);
    EXPECT_EQ(form.UpdateLabel2.font().face, form.font().face);
    EXPECT_EQ(form.CheckBoxImage2.picture(), form.Unchecked.picture()) << "look only";
    EXPECT_TRUE(form.UpdateImage1.visible());
    EXPECT_FALSE(form.UpdateLabel1.font().bold);

    form.MarkStepDone(3);
    EXPECT_EQ(form.CheckBoxImage3.picture(), form.Checked.picture());
    EXPECT_TRUE(form.UpdateImage3.visible()) << "box only";

    form.ActivateStep(0);
    form.ActivateStep(4);
    form.MarkStepDone(-1);

    form.UpdateProgress.SetVisible(true);
    form.UpdateProgress.SetPosition(40);
    form.ResetControls();
    ExpectIdle(form);
    EXPECT_EQ(form.UpdateLabel2.font(), form.font()) << "bold removed, nothing else";
}

// What a screen reader is told of the panel: every text, and each step as one check
// button that follows the step's look and box.
TEST_F(UpdateWindowModel, AScreenReaderHearsEveryTextAndEachStepsState) {
    UpdateForm& form = CreateUpdateForm();
    const auto read = [&] {
        std::vector<std::u16string> heard;
        for (const auto& i : form.AccessibleChildren(form.UpdatePanel)) {
            using R = ui::AccessibleRole;
            heard.push_back(i.role == R::Window        ? u"window"
                            : i.role == R::CheckButton ? u"check " + i.name
                                                       : u"text " + i.name);
            heard.back() += i.checked ? u" checked" : i.mixed ? u" mixed" : u"";
        }
        return heard;
    };
    std::vector<std::u16string> idle{
        u"text Download and install updates for Hexaplane",
        u"text Check for updates to Hexaplane",
        u"text Click the Update button below to download and install updates for Hexaplane.",
        u"check Find update",
        u"check Download update",
        u"check Install update",
        u"window"};
    EXPECT_EQ(read(), idle);
    const auto items = form.AccessibleChildren(form.UpdatePanel);
    EXPECT_EQ(items[3].bounds, (ui::Rect{72, 164, 128, 167})) << "picture, box and label";
    EXPECT_EQ(items[6].window, &form.UpdateProgress);
    EXPECT_TRUE(items[6].invisible);

    form.ActivateStep(1);
    EXPECT_EQ(read()[3], u"check Find update mixed") << "under way";
    form.MarkStepDone(1);
    form.ActivateStep(2);
    EXPECT_EQ(read()[3], u"check Find update checked");
    EXPECT_EQ(read()[4], u"check Download update mixed");
    form.ResetControls();
    EXPECT_EQ(read(), idle);
}

TEST_F(UpdateWindowModel, ClosingIsNeverRefusedAndEndsTheApplication) {
    UpdateForm& form = CreateUpdateForm();
    EXPECT_FALSE(Closing);
    form.CloseButton.Click();
    EXPECT_TRUE(Closing);
    EXPECT_TRUE(ui::Application::Instance().Terminated());
    form.Close(); // a second request repeats the steps harmlessly
    EXPECT_TRUE(Closing);
}

} // namespace
} // namespace hx::update

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "branding/BrandingRecord.h"
#include "resources/Resources.h"
#include "UiFixture.h"

namespace quillora {
namespace {

using testing::FakeDialogHost;
using testing::UiFixture;

const std::string kExpectedTerms =
    "The terms of using this software include your agreement to a standard software liability disclaimer as follows: "
    "\n\nThis software is distributed \"as is\" and with no warranties of any kind, whether express or implied. "
    "including and without limitation, any warranty of merchantability or fitness for a particular purpose.  In no "
    "event shall any individual, company or organisation involved in any way in the development, sale or "
    "distribution of this software be liable for any damages whatsoever relating to the use, misuse, or inability "
    "to use this software (including, without limitation, damages for loss of profits, business interruption, loss "
    "of information, or any other loss). This Agreement shall be governed by the laws of the England (United "
    "Kingdom). Exclusive jurisdiction and venue for all matters relating to this Agreement shall be in courts "
    "located in England, and you consent to such jurisdiction and venue."
    "\n\n\nDo you accept these terms of use ?  (If you click Yes this message will not appear again)";

// Message boxes that also note what the window looked like when each one came up.
class WatchingBoxes : public MessageBoxes {
public:
    WatchingBoxes(MessageBoxes& inner, FakeDialogHost& host) : inner_(inner), host_(host) {}
    MessageAnswer Show(const MessageRequest& request) override {
        visibleAtPrompt.push_back(host_.visible);
        facesAtPrompt.push_back(host_.controls[ControlId::kHelpButton].face.has_value());
        return inner_.Show(request);
    }
    std::vector<bool> visibleAtPrompt;
    std::vector<bool> facesAtPrompt;

private:
    MessageBoxes& inner_;
    FakeDialogHost& host_;
};

using StartUpTest = UiFixture;

TEST_F(StartUpTest, FirstStartAsksTheTermsBeforeTheWindowShowsAndStoresTheAcceptance) {
    WatchingBoxes watching(boxes, host);
    ArticleApp app(Platform{files, registry, clock, watching, dialogs, host, shell, tempFolder}, branding.Data());
    EXPECT_EQ(app.ApplicationName().Bytes(), "Quillora");
    int focusWhenOpen = 0;
    host.whileOpen = [&](FakeDialogHost& open) { focusWhenOpen = open.focus; };
    boxes.answers = {MessageAnswer::Yes};

    EXPECT_EQ(app.StartUp(), 0);

    ASSERT_EQ(boxes.shown.size(), 1u);
    const MessageRequest& prompt = boxes.shown[0];
    EXPECT_EQ(prompt.text, kExpectedTerms);
    EXPECT_EQ(prompt.text.find('\r'), std::string::npos);
    EXPECT_EQ(std::string(kTermsDisclaimer) + kTermsQuestion, kExpectedTerms);
    EXPECT_EQ(prompt.caption, "Quillora");
    EXPECT_EQ(prompt.icon, MessageIcon::Question);
    EXPECT_EQ(prompt.buttons, MessageButtons::YesNo);
    EXPECT_EQ(prompt.defaultButton, 1) << "No is the default";
    EXPECT_EQ(watching.visibleAtPrompt, std::vector<bool>{false});
    EXPECT_EQ(watching.facesAtPrompt, std::vector<bool>{false});

    EXPECT_EQ(StoredData("Terms"), testing::Dword(1));
    EXPECT_EQ(app.RegistryKey().Bytes(), "Tessaline");
    EXPECT_EQ(app.ProfileName().Bytes(), "Quillora");

    EXPECT_EQ(host.caption, "Quillora");
    EXPECT_EQ(host.icons, std::string(resources::Icon()));
    EXPECT_EQ(host.controls[ControlId::kTemplateName].text, "");
    EXPECT_EQ(host.controls[ControlId::kArticleNumber].text, "1");
    EXPECT_EQ(host.controls[ControlId::kUpdateIndex].check, 1);
    EXPECT_EQ(host.controls[ControlId::kArticleTitle].text, "");
    EXPECT_EQ(host.controls[ControlId::kArticleText].text, "");
    EXPECT_EQ(focusWhenOpen, ControlId::kHelpButton);
    EXPECT_EQ(host.controls[ControlId::kHelpButton].face, std::string(resources::Bitmap(160)));
    EXPECT_EQ(host.controls[ControlId::kSelectButton].face, std::string(resources::Bitmap(161)));
    EXPECT_EQ(host.controls[ControlId::kCreateButton].face, std::string(resources::Bitmap(162)));
    EXPECT_EQ(host.controls[ControlId::kPasteButton].face, std::string(resources::Bitmap(266)));
}

TEST_F(StartUpTest, DecliningTheTermsEndsWithStatusOneUnseenAndStoresNothing) {
    for (MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Cancel}) {
        boxes.answers = {answer};
        bool windowOpened = false;
        EXPECT_EQ(Run([&](MainWindow&, FakeDialogHost&) { windowOpened = true; }), 1);
        EXPECT_FALSE(windowOpened);
        EXPECT_FALSE(host.visible);
        EXPECT_FALSE(Stored("Terms"));
        EXPECT_TRUE(registry.HasKey(testing::kSettingsKey)) << "the first read made the keys";
        EXPECT_FALSE(host.controls[ControlId::kHelpButton].face.has_value());
        EXPECT_EQ(registry.OpenKeys(), 0u);
    }
    EXPECT_EQ(boxes.shown.size(), 2u) << "the next start asks again";
}

TEST_F(StartUpTest, AnyStoredNonZeroTermsSkipsThePrompt) {
    for (std::int32_t terms : {1, 7, -1}) {
        SCOPED_TRACE(terms);
        PutInt("Terms", terms);
        bool windowOpened = false;
        EXPECT_EQ(Run([&](MainWindow&, FakeDialogHost&) { windowOpened = true; }), 0);
        EXPECT_TRUE(windowOpened);
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(StoredData("Terms"), testing::Dword(terms)) << "never rewritten";
    }
}

TEST_F(StartUpTest, RefusingRegistryAsksEveryTimeAndTheWindowShowsTheDefaults) {
    registry.refuseAll = true;
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(host.controls[ControlId::kArticleNumber].text, "1");
        EXPECT_EQ(host.controls[ControlId::kUpdateIndex].check, 1);
        EXPECT_EQ(host.controls[ControlId::kTemplateName].text, "");
    }
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, kExpectedTerms);
}

TEST_F(StartUpTest, BrandedTitleCaptionsWindowAndMessagesWhileSettingsStayUnderTheProduct) {
    branding = testing::BrandingImage(0).Title("Acme Article Studio").Name("Acme").Address("http://acme.example/");
    std::string integerMessageCaption;
    EXPECT_EQ(Run([&](MainWindow& window, FakeDialogHost& open) {
                  open.Type(ControlId::kArticleNumber, "x");
                  window.OnOkCommand();
                  integerMessageCaption = boxes.shown.back().caption;
              }),
              0);
    EXPECT_EQ(host.caption, "Acme Article Studio");
    EXPECT_EQ(boxes.shown.at(0).caption, "Acme Article Studio") << "the terms prompt";
    EXPECT_EQ(integerMessageCaption, "Acme Article Studio");
    EXPECT_EQ(applicationName, "Acme Article Studio");
    EXPECT_EQ(profileName, "Quillora");
    EXPECT_EQ(BrandingInfo.windowTitle.Bytes(), "Acme Article Studio");
    EXPECT_EQ(BrandingInfo.resellerName.Bytes(), "Acme");
    EXPECT_TRUE(Stored("Terms"));
    EXPECT_FALSE(registry.HasKey("Software\\Tessaline\\Acme Article Studio"));
}

TEST_F(StartUpTest, EmptyBrandedTitleBecomesTheProductNameInTheBrandingToo) {
    branding = testing::BrandingImage(0).Name("Acme").Address("http://acme.example/");
    AcceptedEarlier();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(host.caption, "Quillora");
    EXPECT_EQ(BrandingInfo.windowTitle.Bytes(), "Quillora");
    EXPECT_EQ(BrandingInfo.resellerAddress.Bytes(), "http://acme.example/");
}

}  // namespace
}  // namespace quillora

// The window's Create, Help and banner commands, from the host's click to the files on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "UiFixture.h"
#include "fakes/ScratchFolder.h"
#include "resources/Resources.h"

namespace quillora {
namespace {

using testing::FakeDialogHost;
using testing::ScratchFolder;

class MainWindowCommandsTest : public testing::UiFixture {
protected:
    MainWindowCommandsTest() {
        AcceptedEarlier();
        ScratchFolder::Write(site / "Template.HTML", "<h1>INSERT TITLE HERE</h1>INSERT ARTICLE HERE");
        ScratchFolder::Write(site / "index.html", "<!--INSERT INDEX HERE-->");
        PutText("Template", site / "Template.HTML");
    }

    std::string HelpPage() const { return temporary / "temp_vodadir_help.html"; }
    std::string HelpPicture() const { return temporary / "temp_vodadir_box.gif"; }

    ScratchFolder site;
};

TEST_F(MainWindowCommandsTest, CreateWritesThePageAndShowsTheNextNumber) {
    dialogs.Choose(site / "article0001.html");
    dialogs.Choose(site / "article0002.html");
    Run([&](MainWindow&, FakeDialogHost& open) {
        for (const char* title : {"One", "Two"}) {
            open.Type(ControlId::kArticleTitle, title);
            open.Type(ControlId::kArticleText, "Text\r\nhttp://a.example");
            open.Command(ControlId::kCreateButton);
        }
        EXPECT_EQ(open.controls[ControlId::kArticleTitle].text, "");
        EXPECT_EQ(open.controls[ControlId::kArticleText].text, "");
        EXPECT_EQ(open.controls[ControlId::kArticleNumber].text, "3");
        open.Command(kIdCancel);
    });
    EXPECT_EQ(ScratchFolder::Read(site / "article0002.html"),
              "<h1>Two</h1>Text<br>\r\n<a href=\"http://a.example\" target=\"_blank\">http://a.example</a>");
    EXPECT_EQ(ScratchFolder::Read(site / "index.html"),
              "<!--INSERT INDEX HERE-->\r\n\r\n<a href=\"article0002.html\">2. Two</a><br><br>"
              "\r\n\r\n<a href=\"article0001.html\">1. One</a><br><br>");
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"File \"article0001.html\" has been created",
                                                       "File \"article0002.html\" has been created"}));
    EXPECT_EQ(StoredData("Counter"), testing::Dword(2));
    EXPECT_EQ(dialogs.calls.at(0).request.initialFileName, "article0001.html");
}

TEST_F(MainWindowCommandsTest, CreateWithAnInvalidNumberStopsBeforeAnything) {
    Run([&](MainWindow&, FakeDialogHost& open) {
        open.Type(ControlId::kArticleTitle, "T");
        open.Type(ControlId::kArticleText, "x");
        open.Type(ControlId::kArticleNumber, "-0");
        open.Command(ControlId::kCreateButton);
        EXPECT_EQ(open.focus, ControlId::kArticleNumber);
        open.Command(kIdCancel);
    });
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please enter an integer."});
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_FALSE(Stored("Index"));
}

TEST_F(MainWindowCommandsTest, HelpFilesGoAtCancelAndStayAtOk) {
    for (int closeWith : {kIdCancel, kIdOk}) {
        Run([&](MainWindow& window, FakeDialogHost& open) {
            open.Command(ControlId::kHelpButton);
            EXPECT_EQ(std::string(window.HelpPagePath().Bytes()), HelpPage());
            EXPECT_EQ(std::string(window.HelpPicturePath().Bytes()), HelpPicture());
            EXPECT_EQ(ScratchFolder::Read(HelpPicture()), std::string(resources::HelpPicture()));
            EXPECT_NE(ScratchFolder::Read(HelpPage()).find("<TITLE>Quillora</TITLE>"), std::string::npos);
            open.Command(closeWith);
        });
        EXPECT_EQ(shell.opened, std::vector<std::string>{HelpPage()});
        EXPECT_EQ(std::filesystem::exists(HelpPage()), closeWith == kIdOk);
        EXPECT_EQ(std::filesystem::exists(HelpPicture()), closeWith == kIdOk);
        shell.opened.clear();
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowCommandsTest, BannerOpensTheResellerAddressThroughTheSharedPageFile) {
    branding.Word(BrandingRecord::kUnbrandedFlag, 0).Title("Reseller Title").Name("Reseller").Address(
        "http://reseller.example/?a=1&b=\"2\"");
    Run([&](MainWindow& window, FakeDialogHost& open) {
        open.Command(ControlId::kBanner);
        EXPECT_EQ(std::string(window.HelpPagePath().Bytes()), HelpPage());
        EXPECT_TRUE(window.HelpPicturePath().IsEmpty());
        EXPECT_NE(ScratchFolder::Read(HelpPage()).find("<a href=\"http://reseller.example/?a=1&b=\"2\"\" style"),
                  std::string::npos);
        open.Command(kIdCancel);
    });
    EXPECT_EQ(shell.opened, std::vector<std::string>{HelpPage()});
    EXPECT_FALSE(std::filesystem::exists(HelpPage())) << "Cancel deletes the redirect page too";
    EXPECT_EQ(applicationName, "Reseller Title");
}

TEST_F(MainWindowCommandsTest, RefusedBrowserAtTheBannerNamesTheAddress) {
    shell.result = 0;
    std::string page;
    Run([&](MainWindow&, FakeDialogHost& open) {
        open.Command(ControlId::kBanner);
        page = ScratchFolder::Read(HelpPage());
        open.Command(kIdOk);
    });
    EXPECT_NE(page.find("URL=http://www.corvalis.example/\">"), std::string::npos);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Unable to activate your Internet browser\n\nPlease activate your "
                                                      "browser and enter the address:\n\nhttp://www.corvalis.example/"});
    EXPECT_EQ(boxes.shown.at(0).caption, "Quillora");
}

}  // namespace
}  // namespace quillora

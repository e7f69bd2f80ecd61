// The program's resources are the committed files, and the generator makes those files again.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ResourceBytes.h"
#include "fakes/ScratchFolder.h"
#include "resources/Resources.h"
#include "support/ProcessRunner.h"

namespace quillora {
namespace {

struct Embedded {
    const char* file;
    std::string_view bytes;
};

std::vector<Embedded> EmbeddedFiles() {
    return {
        {"banner.bmp", resources::Bitmap(133)},         {"help_face.bmp", resources::Bitmap(160)},
        {"select_face.bmp", resources::Bitmap(161)},    {"create_face.bmp", resources::Bitmap(162)},
        {"paste_face.bmp", resources::Bitmap(266)},     {"quillora.ico", resources::Icon()},
        {"help_picture.gif", resources::HelpPicture()}, {"help_page.html", resources::HelpPagePattern()},
    };
}

TEST(EmbeddedResourcesTest, AreTheCommittedFilesByteForByte) {
    for (const auto& [file, bytes] : EmbeddedFiles()) {
        const std::string committed = testing::CommittedResource(file);
        ASSERT_FALSE(committed.empty()) << file;
        EXPECT_EQ(bytes.size(), committed.size()) << file;
        EXPECT_TRUE(bytes == committed) << file;
    }
}

TEST(ResourceGeneratorTest, WritesExactlyTheCommittedPictures) {
    testing::ScratchFolder scratch;
    const std::string output = scratch / "out";
    const testing::ProcessResult generator = testing::RunProcess(QUILLORA_RESOURCE_GENERATOR, {output});
    ASSERT_EQ(generator.status, 0) << generator.output << generator.errors;

    const std::vector<std::string> pictures = {"banner.bmp",     "create_face.bmp", "help_face.bmp",  "help_picture.gif",
                                               "icons",          "paste_face.bmp",  "quillora.ico",   "select_face.bmp"};
    const std::vector<std::string> icons = {"quillora-128.png", "quillora-16.png", "quillora-24.png", "quillora-256.png",
                                            "quillora-32.png",  "quillora-48.png", "quillora-64.png"};
    auto entries = [](const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(entries(output), pictures);
    ASSERT_TRUE(std::filesystem::is_directory(output + "/icons"));
    EXPECT_EQ(entries(output + "/icons"), icons);

    std::vector<std::string> files;
    for (const auto& name : pictures)
        if (name != "icons") files.push_back(name);
    for (const auto& name : icons) files.push_back("icons/" + name);
    for (const auto& name : files) {
        const std::string made = testing::ScratchFolder::Read(output + "/" + name);
        const std::string committed = testing::CommittedResource(name);
        EXPECT_FALSE(committed.empty()) << name;
        EXPECT_TRUE(made == committed) << name << " differs from the committed file";
    }
}

TEST(ResourceGeneratorTest, RefusesAMissingOutputFolderArgument) {
    const testing::ProcessResult generator = testing::RunProcess(QUILLORA_RESOURCE_GENERATOR, {});
    EXPECT_NE(generator.status, 0);
    EXPECT_NE((generator.output + generator.errors).find("usage"), std::string::npos);
}

}  // namespace
}  // namespace quillora

// quillora-create run against every kind of file that can stand where it writes a page or the
// index page, as the user nobody (uid 65534) where permissions matter, since they do not stop
// root. Each target is either written with what it is kept (the same owner, group, permissions
// and names; the same file where it has other names or its folder cannot be written) or refused
// with the write message and left exactly as it was.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CreateProcess.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using testing::CreateProcess;
using testing::ScratchFolder;

constexpr unsigned kNobody = 65534;
constexpr unsigned kWebGroup = 4242;  // a group the user belongs to, as a web server's group

const char kTemplate[] = "<html><title>INSERT TITLE HERE</title><body>INSERT ARTICLE HERE</body></html>";
const char kIndex[] = "<html><body><!--INSERT INDEX HERE--></body></html>";
const char kFormer[] = "former content";

struct Snapshot {
    struct stat status {};
    std::string content;
};

Snapshot Take(const std::string& path) {
    Snapshot snapshot;
    EXPECT_EQ(::lstat(path.c_str(), &snapshot.status), 0) << path;
    if (S_ISREG(snapshot.status.st_mode)) snapshot.content = ScratchFolder::Read(path);
    return snapshot;
}

void Own(const std::string& path, unsigned user, unsigned group, mode_t mode) {
    EXPECT_EQ(::lchown(path.c_str(), user, group), 0) << path;
    if (!std::filesystem::is_symlink(path)) {
        EXPECT_EQ(::chmod(path.c_str(), mode), 0) << path;
    }
}

class TargetsTest : public ::testing::Test {
protected:
    // The user's folders and a site of the user's own.
    void MakeSite() {
        for (const char* name : {"site", "home", "home/config", "home/state"}) {
            std::filesystem::create_directory(folder / name);
            Own(folder / name, kNobody, kNobody, 0755);
        }
        ScratchFolder::Write(folder / "text.txt", "Hello\n");
        ScratchFolder::Write(Site("template.html"), kTemplate);
        ScratchFolder::Write(Site("index.html"), kIndex);
        for (const char* name : {"text.txt", "site/template.html", "site/index.html"}) Own(folder / name, kNobody, kNobody, 0644);
    }
    std::string Site(const std::string& name) const { return folder / ("site/" + name); }

    ScratchFolder folder;
};

TEST_F(TargetsTest, EachTargetIsWrittenKeepingWhatItIsOrRefusedUntouched) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make the files of other users and to run as nobody";
    enum class Outcome { Written, WrittenInPlace, Refused };
    struct Case {
        const char* what;
        std::optional<unsigned> user;  // none: as root
        std::vector<unsigned> groups;
        std::string output;            // the page's path
        bool index;                    // --index: the index page is written too
        std::string target;            // the file whose fate is checked
        std::function<void(const std::string&)> make;
        Outcome outcome;
    };
    const std::string page = Site("article.html");
    const std::string index = Site("index.html");
    const auto file = [](unsigned user, unsigned group, mode_t mode) {
        return [=](const std::string& path) {
            ScratchFolder::Write(path, kFormer);
            Own(path, user, group, mode);
        };
    };
    const auto indexFile = [](unsigned user, unsigned group, mode_t mode) {
        return [=](const std::string& path) {
            ScratchFolder::Write(path, kIndex);
            Own(path, user, group, mode);
        };
    };
    const Case cases[] = {
        {"a page of the user's own", kNobody, {}, page, false, page, file(kNobody, kNobody, 0640), Outcome::Written},
        {"a read-only page", kNobody, {}, page, false, page, file(kNobody, kNobody, 0444), Outcome::Refused},
        {"a read-only page, as root", std::nullopt, {}, page, false, page, file(kNobody, kNobody, 0444), Outcome::Refused},
        {"a read-only index page", kNobody, {}, page, true, index, indexFile(kNobody, kNobody, 0444), Outcome::Refused},
        {"a page in a folder the user cannot write", kNobody, {}, page, true, page,
         [&](const std::string& path) {
             file(kNobody, kNobody, 0604)(path);
             Own(folder / "site", 0, 0, 0755);
         },
         Outcome::WrittenInPlace},
        {"an index page in a folder the user cannot write", kNobody, {}, page, true, index,
         [&](const std::string& path) {
             ScratchFolder::Write(page, kFormer);
             Own(page, kNobody, kNobody, 0644);
             indexFile(kNobody, kNobody, 0644)(path);
             Own(folder / "site", 0, 0, 0755);
         },
         Outcome::WrittenInPlace},
        {"an index page with a second name", kNobody, {}, page, true, index,
         [&](const std::string& path) {
             indexFile(kNobody, kNobody, 0644)(path);
             std::filesystem::create_hard_link(path, folder / "index-mirror.html");
         },
         Outcome::WrittenInPlace},
        {"an index page of another group the user belongs to", kNobody, {kWebGroup}, page, true, index,
         indexFile(kNobody, kWebGroup, 0664), Outcome::Written},
        {"an index page of another user, writable through the group", kNobody, {kWebGroup}, page, true, index,
         indexFile(0, kWebGroup, 0664), Outcome::WrittenInPlace},
        {"a named pipe, as root", std::nullopt, {}, page, false, page,
         [](const std::string& path) { EXPECT_EQ(::mkfifo(path.c_str(), 0666), 0); }, Outcome::Refused},
        {"a character device, as root", std::nullopt, {}, page, false, page,
         [](const std::string& path) { EXPECT_EQ(::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0); },
         Outcome::Refused},
        {"a folder", kNobody, {}, page, false, page,
         [](const std::string& path) {
             std::filesystem::create_directory(path);
             Own(path, kNobody, kNobody, 0755);
         },
         Outcome::Refused},
        {"a loop of symbolic links, as root", std::nullopt, {}, page, false, page,
         [&](const std::string& path) {
             std::filesystem::create_symlink("loop.html", path);
             std::filesystem::create_symlink("article.html", Site("loop.html"));
         },
         Outcome::Refused},
        {"a symbolic link to a page elsewhere", kNobody, {}, page, false, folder / "home/real.html",
         [&](const std::string& path) {
             file(kNobody, kNobody, 0604)(path);
             std::filesystem::create_symlink(path, page);
             Own(page, kNobody, kNobody, 0);
         },
         Outcome::Written},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeSite();
        c.make(c.target);
        const Snapshot before = Take(c.target);
        const Snapshot indexBefore = Take(index);

        CreateProcess::Options options;
        options.arguments = {"--title", "Spring", "--text-file", folder / "text.txt", "--template", Site("template.html"),
                             "--output", c.output, "--overwrite", c.index ? "--index" : "--no-index", "--accept-terms"};
        options.environment = {"PATH=/usr/bin:/bin", "HOME=" + (folder / "home"), "XDG_CONFIG_HOME=" + (folder / "home/config"),
                               "XDG_STATE_HOME=" + (folder / "home/state")};
        options.workingFolder = folder / "home";
        options.user = c.user;
        options.groups = c.groups;
        const CreateProcess::Result result = CreateProcess::Run(QUILLORA_CREATE_PATH, folder / "errors.txt", options);

        const Snapshot after = Take(c.target);
        EXPECT_EQ(after.status.st_mode, before.status.st_mode) << "the kind or the permissions changed";
        EXPECT_EQ(after.status.st_uid, before.status.st_uid);
        EXPECT_EQ(after.status.st_gid, before.status.st_gid);
        EXPECT_EQ(after.status.st_nlink, before.status.st_nlink);
        if (c.outcome == Outcome::Refused) {
            EXPECT_NE(result.status, 0);
            EXPECT_NE(result.errors.find("Failed to write file " + (c.target == index ? index : c.output) + "\n"),
                      std::string::npos)
                << result.errors;
            EXPECT_EQ(after.status.st_ino, before.status.st_ino);
            EXPECT_TRUE(after.status.st_mtim.tv_sec == before.status.st_mtim.tv_sec &&
                        after.status.st_mtim.tv_nsec == before.status.st_mtim.tv_nsec);
            EXPECT_EQ(after.content, before.content);
            EXPECT_EQ(Take(index).content, indexBefore.content) << "the index page changed after a refused page";
        } else {
            EXPECT_EQ(result.status, 0) << result.errors;
            EXPECT_EQ(result.errors, "File \"article.html\" has been created\n");
            if (c.target == index) {
                EXPECT_NE(after.content.find("<a href=\"article.html\">"), std::string::npos) << after.content;
            } else {
                EXPECT_EQ(after.content, "<html><title>Spring</title><body>Hello<br>\r\n</body></html>");
            }
            if (c.outcome == Outcome::WrittenInPlace) {
                EXPECT_EQ(after.status.st_ino, before.status.st_ino) << "not written in place";
            }
            if (before.status.st_nlink > 1) {
                EXPECT_EQ(ScratchFolder::Read(folder / "index-mirror.html"), after.content);
            }
        }
        // Nothing beside the files, and nothing kept in the user's state folder.
        for (const auto& entry : std::filesystem::directory_iterator(folder / "site")) {
            EXPECT_EQ(entry.path().filename().string().find(".quillora-"), std::string::npos) << entry.path();
        }
        if (std::filesystem::exists(folder / "home/state/quillora")) {
            EXPECT_TRUE(std::filesystem::is_empty(folder / "home/state/quillora"));
        }
        std::filesystem::remove_all(folder.Path());
        std::filesystem::create_directory(folder.Path());
    }
}

}  // namespace
}  // namespace quillora

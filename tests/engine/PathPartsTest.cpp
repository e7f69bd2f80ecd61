#include "engine/PathParts.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "engine/CodePage.h"
#include "support/CaseName.h"
#include "support/CodePages.h"

namespace quillora {
namespace {

struct PathCase {
    const char* name;
    const char* path;
    char separator;
    const char* dirWithSlash;
    const char* dirWithoutSlash;
    const char* fileName;
    const char* extension;
};

void PrintTo(const PathCase& c, std::ostream* out) { *out << c.name; }

class PathPartsTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathPartsTest, SplitsThePath) {
    const PathCase& c = GetParam();
    const TextBuffer path(c.path);
    EXPECT_EQ(std::string(PathParts::DirWithSlash(path, c.separator).Bytes()), c.dirWithSlash);
    EXPECT_EQ(std::string(PathParts::DirWithoutSlash(path, c.separator).Bytes()), c.dirWithoutSlash);
    EXPECT_EQ(std::string(PathParts::FileNameOf(path, c.separator).Bytes()), c.fileName);
    EXPECT_EQ(std::string(PathParts::ExtensionOf(path, c.separator).Bytes()), c.extension);
    EXPECT_EQ(std::string(path.Bytes()), c.path);  // never changed
}

INSTANTIATE_TEST_SUITE_P(
    Backslash, PathPartsTest,
    ::testing::Values(
        PathCase{"drive folders and file", "C:\\My Site\\News\\Template.HTML", '\\', "C:\\My Site\\News\\",
                 "C:\\My Site\\News", "template.html", ".html"},
        PathCase{"file at the root", "C:\\Index.htm", '\\', "C:\\", "C:", "index.htm", ".htm"},
        PathCase{"forward slashes", "C:/web/page.htm", '\\', "", "", "c:/web/page.htm", ".htm"},  // no separator here
        PathCase{"folder alone", "D:\\Web\\", '\\', "D:\\Web\\", "D:\\Web", "", ""},
        PathCase{"two dots", "archive.tar.GZ", '\\', "", "", "archive.tar.gz", ".gz"},
        PathCase{"dot in a folder", "C:\\my.site\\README", '\\', "C:\\my.site\\", "C:\\my.site", "readme", ""},
        PathCase{"empty", "", '\\', "", "", "", ""}),
    testing::ByCaseName());

INSTANTIATE_TEST_SUITE_P(
    Slash, PathPartsTest,
    ::testing::Values(PathCase{"folders and file", "/home/ann/Site/Template.HTML", '/', "/home/ann/Site/", "/home/ann/Site",
                               "template.html", ".html"},
                      PathCase{"file at the root", "/index.php", '/', "/", "", "index.php", ".php"},
                      PathCase{"backslashes", "C:\\Site\\News.PHP", '/', "", "", "c:\\site\\news.php", ".php"},
                      PathCase{"dot in a folder", "/home/ann/.config/template", '/', "/home/ann/.config/",
                               "/home/ann/.config", "template", ""},
                      PathCase{"dot at the end", "/srv/page.", '/', "/srv/", "/srv", "page.", "."},
                      PathCase{"bare name", "Makefile", '/', "", "", "makefile", ""}),
    testing::ByCaseName());

TEST(PathPartsTest, UsesThePlatformSeparatorByDefault) {
    const std::string folder = std::string("srv") + kPathSeparator + "www" + kPathSeparator;
    EXPECT_EQ(std::string(PathParts::FileNameOf(TextBuffer(folder + "News.PHP")).Bytes()), "news.php");
    EXPECT_EQ(std::string(PathParts::DirWithSlash(TextBuffer(folder + "News.PHP")).Bytes()), folder);
    const char other = kPathSeparator == '/' ? '\\' : '/';
    EXPECT_EQ(std::string(PathParts::FileNameOf(TextBuffer(std::string("a") + other + "B.htm")).Bytes()),
              std::string("a") + other + "b.htm")
        << "the other platform's separator is an ordinary character";
}

// "\x95\x5C" is a code page 932 character whose trail byte is the backslash.
TEST(PathPartsTest, DoubleByteTrailBackslashIsNoSeparator) {
    ScopedCodePage page(CodePageKind::DoubleByte);
    const TextBuffer path("C:\\\x95\x5C\\Page\x95\x5C.HTM");
    EXPECT_EQ(std::string(PathParts::DirWithSlash(path, '\\').Bytes()), "C:\\\x95\x5C\\");
    EXPECT_EQ(std::string(PathParts::DirWithoutSlash(path, '\\').Bytes()), "C:\\\x95\x5C");
    EXPECT_EQ(std::string(PathParts::FileNameOf(path, '\\').Bytes()), "page\x95\x5C.htm");
    EXPECT_EQ(std::string(PathParts::ExtensionOf(path, '\\').Bytes()), ".htm");
    EXPECT_EQ(std::string(PathParts::FileNameOf(TextBuffer("\x95\x5C"), '\\').Bytes()), "\x95\x5C");
}

// The path rules in the page where each path was written: a trail byte 0x5C is no separator and
// a capital A as a trail byte stays as it is. "\xA4\x5C" and "\xB0\x41" are characters of
// 936, 949 and 950 (in 932 both lead bytes are single-byte characters).
TEST(PathPartsTest, DoubleByteNamesInEachPage) {
    struct Case {
        const char* name;
        CodePage page;
        const char* path;
        const char* dirWithSlash;
        const char* fileName;
        const char* extension;
    };
    const Case cases[] = {
        {"936 folder", testing::WideDoubleBytePage(936), "C:\\\xA4\x5C\\Page\xA4\x5C.HTM", "C:\\\xA4\x5C\\",
         "page\xA4\x5C.htm", ".htm"},
        {"950 name only", testing::WideDoubleBytePage(950), "\xA4\x5C", "", "\xA4\x5C", ""},
        {"949 capital trail byte", testing::WideDoubleBytePage(949), "C:\\Site\\\xB0\x41.HTM", "C:\\Site\\",
         "\xB0\x41.htm", ".htm"},
        {"932 takes the same bytes apart", CodePage(CodePageKind::DoubleByte), "C:\\\xA4\x5C\xB0\x41.HTM",
         "C:\\\xA4\x5C", "\xB0" "a.htm", ".htm"},
    };
    for (const Case& c : cases) {
        ScopedCodePage page(c.page);
        const TextBuffer path(c.path);
        EXPECT_EQ(std::string(PathParts::DirWithSlash(path, '\\').Bytes()), c.dirWithSlash) << c.name;
        EXPECT_EQ(std::string(PathParts::FileNameOf(path, '\\').Bytes()), c.fileName) << c.name;
        EXPECT_EQ(std::string(PathParts::ExtensionOf(path, '\\').Bytes()), c.extension) << c.name;
    }
}

}  // namespace
}  // namespace quillora

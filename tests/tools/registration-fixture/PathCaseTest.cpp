// Paths as parameters: a Windows folder ends in a backslash, and a name may hold a line break.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct PathCase {
    const char* name;
    const char* path;
};

#ifdef SAFE_PRINTING
void PrintTo(const PathCase& c, std::ostream* out) { *out << c.name; }
#else
void PrintTo(const PathCase& c, std::ostream* out) { *out << c.path; }
#endif

class PathCaseTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathCaseTest, HasAPath) { EXPECT_NE(std::string(GetParam().path), ""); }

TEST(PlainTest, Runs) { SUCCEED(); }

INSTANTIATE_TEST_SUITE_P(Backslash, PathCaseTest,
                         ::testing::Values(PathCase{"file", "C:\\Index.htm"}, PathCase{"folder", "D:\\Web\\"},
                                           PathCase{"archive", "archive.tar.GZ"}, PathCase{"two_lines", "one\ntwo"},
                                           PathCase{"last", "C:\\my.site\\README"})
#ifdef NAMED_CASES
                             ,
                         [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); }
#endif
);

}  // namespace

#include "engine/IntegerField.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace quillora {
namespace {

struct IntegerCase {
    std::string text;
    bool accepted;
    std::int32_t value;  // when accepted
};

void PrintTo(const IntegerCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class IntegerFieldTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerFieldTest, ReadsOrRejects) {
    const IntegerCase& c = GetParam();
    std::int32_t value = 777;
    EXPECT_EQ(ReadIntegerField(TextBuffer(c.text), value), c.accepted) << '"' << c.text << '"';
    EXPECT_EQ(value, c.accepted ? c.value : 777) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, IntegerFieldTest,
    ::testing::Values(IntegerCase{"42", true, 42}, IntegerCase{" \t42\t ", true, 42}, IntegerCase{"007", true, 7},
                      IntegerCase{"0", true, 0}, IntegerCase{"  000", true, 0}, IntegerCase{"+5", true, 5},
                      IntegerCase{"-5", true, -5}, IntegerCase{"2147483647", true, 2147483647},
                      IntegerCase{"2147483648", true, 2147483647}, IntegerCase{"99999999999999999999", true, 2147483647},
                      IntegerCase{"-2147483648", true, -2147483647 - 1},
                      IntegerCase{"-99999999999999999999", true, -2147483647 - 1},
                      // Only the first 31 characters count: what follows them is never seen.
                      IntegerCase{std::string(29, ' ') + "12x", true, 12},
                      IntegerCase{"1" + std::string(30, ' ') + "junk", true, 1}));

INSTANTIATE_TEST_SUITE_P(
    Rejected, IntegerFieldTest,
    ::testing::Values(IntegerCase{"", false, 0}, IntegerCase{"   ", false, 0}, IntegerCase{"-", false, 0},
                      IntegerCase{"+", false, 0}, IntegerCase{"-0", false, 0}, IntegerCase{"+0", false, 0},
                      IntegerCase{"12a", false, 0}, IntegerCase{"a12", false, 0}, IntegerCase{"1 2", false, 0},
                      IntegerCase{"0x10", false, 0}, IntegerCase{"4\r\n", false, 0}, IntegerCase{"\xEF\xBC\x91", false, 0},
                      IntegerCase{"--1", false, 0}, IntegerCase{std::string(31, ' ') + "5", false, 0}));

}  // namespace
}  // namespace quillora

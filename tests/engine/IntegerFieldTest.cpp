#include "engine/IntegerField.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "support/CaseName.h"

namespace quillora {
namespace {

struct IntegerCase {
    const char* name;
    std::string text;
    bool accepted;
    std::int32_t value;  // when accepted
};

void PrintTo(const IntegerCase& c, std::ostream* out) { *out << c.name; }

class IntegerFieldTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerFieldTest, ReadsOrRejects) {
    const IntegerCase& c = GetParam();
    std::int32_t value = 777;
    EXPECT_EQ(ReadIntegerField(TextBuffer(c.text), value), c.accepted) << '"' << c.text << '"';
    EXPECT_EQ(value, c.accepted ? c.value : 777) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, IntegerFieldTest,
    ::testing::Values(IntegerCase{"plain", "42", true, 42}, IntegerCase{"blanks around", " \t42\t ", true, 42},
                      IntegerCase{"leading zeros", "007", true, 7}, IntegerCase{"zero", "0", true, 0},
                      IntegerCase{"blanks and zeros", "  000", true, 0}, IntegerCase{"plus sign", "+5", true, 5},
                      IntegerCase{"minus sign", "-5", true, -5}, IntegerCase{"largest", "2147483647", true, 2147483647},
                      IntegerCase{"one above the largest", "2147483648", true, 2147483647},
                      IntegerCase{"far above the largest", "99999999999999999999", true, 2147483647},
                      IntegerCase{"smallest", "-2147483648", true, -2147483647 - 1},
                      IntegerCase{"far below the smallest", "-99999999999999999999", true, -2147483647 - 1},
                      // Only the first 31 characters count: what follows them is never seen.
                      IntegerCase{"letter at the 32nd character", std::string(29, ' ') + "12x", true, 12},
                      IntegerCase{"junk after the 31st character", "1" + std::string(30, ' ') + "junk", true, 1}),
    testing::ByCaseName());

INSTANTIATE_TEST_SUITE_P(
    Rejected, IntegerFieldTest,
    ::testing::Values(IntegerCase{"empty", "", false, 0}, IntegerCase{"blanks only", "   ", false, 0},
                      IntegerCase{"minus alone", "-", false, 0}, IntegerCase{"plus alone", "+", false, 0},
                      IntegerCase{"minus zero", "-0", false, 0}, IntegerCase{"plus zero", "+0", false, 0},
                      IntegerCase{"letter after", "12a", false, 0}, IntegerCase{"letter before", "a12", false, 0},
                      IntegerCase{"blank inside", "1 2", false, 0}, IntegerCase{"hexadecimal", "0x10", false, 0},
                      IntegerCase{"line break after", "4\r\n", false, 0},
                      IntegerCase{"full-width digit", "\xEF\xBC\x91", false, 0}, IntegerCase{"two minus signs", "--1", false, 0},
                      IntegerCase{"digit at the 32nd character", std::string(31, ' ') + "5", false, 0}),
    testing::ByCaseName());

}  // namespace
}  // namespace quillora

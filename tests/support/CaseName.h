#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quillora::testing {

// The name under which a parameterised case is listed and registered with CTest: the letters
// and digits of its description, each run of anything else one underscore ("before non-ASCII"
// gives "before_non_ASCII"). Such a name is one that CTest can select exactly.
inline std::string CaseName(std::string_view description) {
    std::string name;
    bool gap = false;
    for (char c : description) {
        bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!kept) {
            gap = true;
            continue;
        }
        if (gap && !name.empty()) name.push_back('_');
        gap = false;
        name.push_back(c);
    }
    return name;
}

// The name generator for INSTANTIATE_TEST_SUITE_P over cases with a `name` member. Such a case
// also prints as its name (a PrintTo that writes the name), since the case list shows each
// case's printed parameter, and a parameter that prints a line break or ends in a backslash
// breaks CTest's reading of that list.
struct ByCaseName {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return CaseName(info.param.name);
    }
};

}  // namespace quillora::testing

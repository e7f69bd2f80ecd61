#include "ui/WindowTemplate.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace quillora {
namespace {

TEST(WindowTemplate, TabStopsFollowTheTemplateOrder) {
    std::vector<int> tabStops;
    for (const ControlTemplate& control : MainWindowTemplate().controls) {
        if (control.Has(Style::kTabStop)) tabStops.push_back(control.id);
    }
    EXPECT_EQ(tabStops, (std::vector<int>{ControlId::kHelpButton, ControlId::kSelectButton, ControlId::kArticleNumber,
                                          ControlId::kArticleTitle, ControlId::kArticleText, ControlId::kPasteButton,
                                          ControlId::kUpdateIndex, ControlId::kCreateButton, ControlId::kTemplateName}));
}

TEST(WindowTemplate, ControlsAreDistinctAndLieInsideTheWindow) {
    const WindowTemplate& window = MainWindowTemplate();
    EXPECT_EQ(window.controls.size(), 17u);
    EXPECT_EQ(window.style, 0x90CA00C0u);
    std::set<int> ids;
    for (const ControlTemplate& control : window.controls) {
        SCOPED_TRACE(control.text);
        if (control.id != ControlId::kUnaddressed) {
            EXPECT_TRUE(ids.insert(control.id).second);
        }
        EXPECT_TRUE(control.Has(Style::kChild | Style::kVisible));
        EXPECT_GE(control.x, 0);
        EXPECT_GE(control.y, 0);
        EXPECT_LE(control.x + control.width, window.width);
        EXPECT_LE(control.y + control.height, window.height);
    }
    EXPECT_EQ(ids.size(), 10u);
}

}  // namespace
}  // namespace quillora

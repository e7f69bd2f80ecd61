#include "ui/WindowTemplate.h"

namespace quillora {
namespace {

using namespace Style;
using ControlId::kUnaddressed;

constexpr std::uint32_t kShown = kChild | kVisible;
constexpr std::uint32_t kFaceButton = kShown | kPushButton | kButtonBitmap | kTabStop;
constexpr std::uint32_t kLabel = kShown | kStaticLeft | kGroup;

constexpr ControlTemplate kMainWindowControls[] = {
    {ControlId::kHelpButton, ControlClass::Button, "Help", 0, 228, 148, 40, 12, kFaceButton},
    {ControlId::kSelectButton, ControlClass::Button, "Browse", 0, 228, 167, 40, 12, kFaceButton},
    {ControlId::kArticleNumber, ControlClass::Edit, "", 0, 69, 185, 200, 14, kShown | kBorder | kTabStop | kNumber | kAutoHScroll},
    {ControlId::kArticleTitle, ControlClass::Edit, "", 0, 69, 203, 199, 14, kShown | kBorder | kTabStop | kAutoHScroll},
    {ControlId::kArticleText, ControlClass::Edit, "", 0, 69, 221, 199, 47,
     kShown | kBorder | kVScroll | kTabStop | kMultiLine | kAutoHScroll | kWantReturn},
    {ControlId::kPasteButton, ControlClass::Button, "Paste", 0, 16, 272, 40, 12, kFaceButton},
    {ControlId::kUpdateIndex, ControlClass::Button, "Automatically update article index", 0, 69, 273, 121, 10,
     kShown | kAutoCheckBox | kTabStop},
    {ControlId::kCreateButton, ControlClass::Button, "Update", 0, 228, 272, 40, 12, kFaceButton},
    {kUnaddressed, ControlClass::Static, "Article Title", 0, 15, 206, 46, 8, kLabel},
    {ControlId::kBanner, ControlClass::Static, "", 133, 8, 9, 267, 123, kShown | kStaticBitmap | kCenterImage | kStaticNotify},
    {kUnaddressed, ControlClass::Button, "", 0, 7, 137, 268, 155, kShown | kGroupBox},
    {kUnaddressed, ControlClass::Static, "Article Number", 0, 15, 188, 47, 8, kLabel},
    {ControlId::kTemplateName, ControlClass::Edit, "", 0, 69, 167, 151, 14, kShown | kBorder | kTabStop | kReadOnly | kAutoHScroll},
    {kUnaddressed, ControlClass::Static, "Template File", 0, 15, 170, 43, 8, kLabel},
    {kUnaddressed, ControlClass::Static, "Please read the help before using this software     ........................", 0,
     15, 151, 206, 8, kLabel},
    {kUnaddressed, ControlClass::Static, "Article Text", 0, 16, 224, 46, 8, kLabel},
    {kUnaddressed, ControlClass::Static, "", 0, 73, 296, 135, 8, kLabel},
};

constexpr WindowTemplate kMainWindow = {
    102,
    "Quillora",
    282,
    308,
    kPopup | kVisible | kCaption | kSysMenu | kMinimizeBox | kModalFrame | kSetFont,
    kAppWindow,
    "MS Sans Serif",
    8,
    kMainWindowControls,
};
static_assert((kPopup | kVisible | kCaption | kSysMenu | kMinimizeBox | kModalFrame | kSetFont) == 0x90CA00C0);

}  // namespace

const WindowTemplate& MainWindowTemplate() { return kMainWindow; }

}  // namespace quillora

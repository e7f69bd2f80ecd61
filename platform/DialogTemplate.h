#pragma once

#include <cstdint>
#include <span>

namespace quillora {

// Labels and frames carry no id of their own.
namespace ControlId {
inline constexpr int kUnaddressed = -1;
}  // namespace ControlId

// Style bits, with the values the dialog template format gives them. Button, edit and static
// bits share values, so a bit means something only together with the control's class.
namespace Style {
inline constexpr std::uint32_t kPopup = 0x80000000;
inline constexpr std::uint32_t kChild = 0x40000000;
inline constexpr std::uint32_t kVisible = 0x10000000;
inline constexpr std::uint32_t kCaption = 0x00C00000;
inline constexpr std::uint32_t kBorder = 0x00800000;
inline constexpr std::uint32_t kVScroll = 0x00200000;
inline constexpr std::uint32_t kSysMenu = 0x00080000;
inline constexpr std::uint32_t kGroup = 0x00020000;
inline constexpr std::uint32_t kTabStop = 0x00010000;
inline constexpr std::uint32_t kMinimizeBox = 0x00020000;  // on the window itself
inline constexpr std::uint32_t kModalFrame = 0x00000080;   // dialog
inline constexpr std::uint32_t kSetFont = 0x00000040;      // dialog
inline constexpr std::uint32_t kAppWindow = 0x00040000;    // extended style

inline constexpr std::uint32_t kPushButton = 0x0;
inline constexpr std::uint32_t kAutoCheckBox = 0x3;
inline constexpr std::uint32_t kGroupBox = 0x7;
inline constexpr std::uint32_t kButtonBitmap = 0x80;
inline constexpr std::uint32_t kButtonTypeMask = 0xF;

inline constexpr std::uint32_t kMultiLine = 0x4;
inline constexpr std::uint32_t kAutoHScroll = 0x80;
inline constexpr std::uint32_t kReadOnly = 0x800;
inline constexpr std::uint32_t kWantReturn = 0x1000;
inline constexpr std::uint32_t kNumber = 0x2000;

inline constexpr std::uint32_t kStaticLeft = 0x0;
inline constexpr std::uint32_t kStaticBitmap = 0xE;
inline constexpr std::uint32_t kStaticNotify = 0x100;
inline constexpr std::uint32_t kCenterImage = 0x200;
}  // namespace Style

enum class ControlClass { Button, Edit, Static };

// One control of a window template. Positions and sizes are in dialog units; controls come in
// template order, which is also the tab order of those with kTabStop.
struct ControlTemplate {
    int id;
    ControlClass controlClass;
    const char* text;  // never drawn on a button that shows a face picture
    int imageId;       // bitmap shown by a picture control; 0 for none
    int x, y, width, height;
    std::uint32_t style;

    bool Has(std::uint32_t bits) const { return (style & bits) == bits; }
    bool IsButtonType(std::uint32_t type) const {
        return controlClass == ControlClass::Button && (style & Style::kButtonTypeMask) == type;
    }
    bool IsPushButton() const { return IsButtonType(Style::kPushButton); }
};

struct WindowTemplate {
    int id;
    const char* caption;
    int width, height;  // dialog units
    std::uint32_t style;
    std::uint32_t extendedStyle;
    const char* fontName;
    int fontPoints;
    std::span<const ControlTemplate> controls;

    const ControlTemplate* Find(int controlId) const {
        for (const ControlTemplate& control : controls) {
            if (control.id == controlId) return &control;
        }
        return nullptr;
    }
};

}  // namespace quillora

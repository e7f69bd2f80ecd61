#pragma once

#include "platform/DialogTemplate.h"

namespace quillora {

// Identifiers of the main window's controls.
namespace ControlId {
inline constexpr int kHelpButton = 1006;
inline constexpr int kCreateButton = 1028;
inline constexpr int kSelectButton = 1029;
inline constexpr int kPasteButton = 1030;
inline constexpr int kArticleTitle = 1040;
inline constexpr int kTemplateName = 1041;
inline constexpr int kArticleNumber = 1042;
inline constexpr int kArticleText = 1043;
inline constexpr int kBanner = 1048;
inline constexpr int kUpdateIndex = 1052;
}  // namespace ControlId

// Template 102: the main window.
const WindowTemplate& MainWindowTemplate();

}  // namespace quillora

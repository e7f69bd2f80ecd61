#pragma once

#include <string_view>

// The pictures and texts built into the program, as the bytes of their files. Each is listed,
// with its kind and id, in resources/CMakeLists.txt.
namespace quillora::resources {

inline constexpr int kIconGroup = 128;         // ICON: the program's icon
inline constexpr int kHelpPictureData = 200;   // RCDATA: the help picture
inline constexpr int kHelpPageData = 201;      // RCDATA: the help page pattern

// The bitmap file of a picture: 133 the banner, 160 Help, 161 Select, 162 Create and 266 Paste
// button faces; empty for any other id.
std::string_view Bitmap(int id);
// The icon file with the eight images of the program's icon.
std::string_view Icon();
// The GIF file of the help picture, 5,225 bytes.
std::string_view HelpPicture();
// The help page with six %s places for the branding.
std::string_view HelpPagePattern();

}  // namespace quillora::resources

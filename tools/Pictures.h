#pragma once

#include <string_view>

#include "Canvas.h"

namespace quillora::tools {

inline constexpr int kFaceWidth = 58;
inline constexpr int kFaceHeight = 16;

// A push-button face: the word in white on a dark blue, textured, bevelled face.
Canvas DrawButtonFace(std::string_view word);

// The 400 x 200 advertising banner of the maker with its drawn "Click here" button.
Canvas DrawBanner();

// A glossy gold ball filling a square of the given size, transparent around it.
Canvas DrawGoldBall(int size);

// The drawing choices of the help picture that change its content but not what it shows.
struct HelpPictureStyle {
    int sampleTextLines = 3;  // lines of example article text in the text field, 0 to 5
    int sampleTitle = 0;      // which of the example titles the title field shows
};

// How many example titles there are to choose from.
int HelpPictureTitleCount();

// The working area of the main window below the banner, 406 x 249 pixels: prompt line with the
// Help button, template file field and Select button, article number, title and text fields,
// Paste button, index check box and Create button.
Canvas DrawHelpPicture(const HelpPictureStyle& style);

}  // namespace quillora::tools

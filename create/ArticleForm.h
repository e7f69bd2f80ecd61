#pragma once

#include <cstdint>
#include <optional>

#include "engine/TextBuffer.h"

namespace quillora {

// What the user is told when the article number field holds no integer.
inline constexpr char kNotAnIntegerMessage[] = "Please enter an integer.";

// The fields that the Create command works on, and the exchange with whatever shows them:
// the main window, or the command line of the scripted publisher.
class ArticleForm {
public:
    virtual ~ArticleForm() = default;

    // Copies what the user entered into the fields; false (after telling the user) when a
    // field cannot be read.
    virtual bool ReadFields() = 0;
    // Shows the fields to the user.
    virtual void ShowFields() = 0;

    TextBuffer templatePath;
    TextBuffer articleTitle;
    TextBuffer articleText;
    std::int32_t articleNumber = 0;
    std::int32_t updateIndex = 0;
    TextBuffer pageBuffer;  // working page of the Create command; empty between commands
    // Whether the user agreed in advance to replace a page at the path chosen (the command line's
    // --overwrite). Unset, the save dialog's answer decides: it asks before it answers with an
    // existing file, so an existing file that it names is one the user agreed to replace.
    std::optional<bool> replaceExisting;

    // The state the index check box takes for an updateIndex value: 0 cleared, 1 checked,
    // 2 indeterminate; any other value shows as cleared.
    static std::int32_t CheckStateFor(std::int32_t value) { return (value < 0 || value > 2) ? 0 : value; }
};

}  // namespace quillora

#pragma once

#include <string>

namespace quillora {

// The user's home folder: $HOME when it is absolute, otherwise the password database's entry
// for the real user; empty when neither gives one.
std::string HomeFolder();

// A folder of the XDG base directory rules plus "/quillora": the variable's value when it is
// absolute, otherwise the home folder plus fallback (".config", ".local/state"); empty when no
// home folder is known.
std::string QuilloraFolderOf(const char* variable, const char* fallback);

}  // namespace quillora

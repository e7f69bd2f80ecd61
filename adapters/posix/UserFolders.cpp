#include "adapters/posix/UserFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace quillora {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

std::string QuilloraFolderOf(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return std::string(value) + "/quillora";
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/" + fallback + "/quillora";
}

}  // namespace quillora

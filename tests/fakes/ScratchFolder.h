#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/PlatformPath.h"

namespace quillora::testing {

// A new folder under the system's temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            std::filesystem::path candidate = base / ("quillora-test-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) path_ = candidate;
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        // What a test made read-only goes too (Windows deletes no read-only file).
        for (auto entry = std::filesystem::recursive_directory_iterator(path_, ignored);
             entry != std::filesystem::recursive_directory_iterator(); entry.increment(ignored)) {
            std::filesystem::permissions(entry->path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ignored);
        }
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The full path of a name inside the folder; a '/' in name stands for the platform's separator.
    std::string operator/(std::string_view name) const { return (path_ / name).make_preferred().string(); }

    static void Write(const std::string& path, std::string_view bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

}  // namespace quillora::testing

#pragma once

#include <string>

#include "platform/TempFolder.h"

namespace quillora {

// The private temporary folder on Linux: $XDG_RUNTIME_DIR when it is set, otherwise
// $TMPDIR (or /tmp) plus quillora-<uid>. When that folder cannot be had, the fallback is the
// user's cache folder, $XDG_CACHE_HOME (or $HOME/.cache) plus quillora/. Either is created with
// mode 0700 when missing and is used only when it is a real folder (not a symbolic link), owned
// by the user and writable by nobody else. Relative values of the variables are ignored.
// When neither folder can be had, the result is kUnusable.
class PosixTempFolder : public TempFolder {
public:
    // A folder below a file that is no folder: creating anything in it fails on every system.
    static constexpr const char* kUnusable = "/dev/null/";

    // The variables that choose the folders; empty when unset.
    struct Environment {
        std::string runtimeDir;  // XDG_RUNTIME_DIR
        std::string tmpDir;      // TMPDIR
        std::string cacheHome;   // XDG_CACHE_HOME
        std::string home;        // HOME
        static Environment OfProcess();
    };

    // What the file system tells of a path itself, a symbolic link not followed.
    struct EntryStatus {
        bool isLink = false;
        bool isFolder = false;
        unsigned owner = 0;
        unsigned mode = 0;  // permission bits
    };

    PosixTempFolder();  // the process's own environment and effective user
    PosixTempFolder(Environment environment, unsigned user);

    std::string Folder() override;

    // The two folders before they are created and checked, each ending with '/'; empty when
    // the environment gives no place for it.
    std::string PrivateFolder() const;
    std::string FallbackFolder() const;

protected:
    // Creates the folder with mode 0700; an existing entry of that name counts as success.
    virtual bool MakeFolder(const std::string& path);
    // lstat: false when nothing can be learnt of the path.
    virtual bool StatusOf(const std::string& path, EntryStatus& status);

private:
    bool Usable(const std::string& folder);

    Environment environment_;
    unsigned user_;
};

}  // namespace quillora

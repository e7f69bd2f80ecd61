#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "fakes/ScratchFolder.h"

namespace quillora::testing {

// A stand-in xdg-open, first on PATH while this object lives: a shell script that runs `body`
// with the file to open in "$1", after noting that file in the log `opened`.
class StandInOpener {
public:
    explicit StandInOpener(const std::string& body) : formerPath_(std::getenv("PATH") ? std::getenv("PATH") : "") {
        const std::string script = folder / "xdg-open";
        ScratchFolder::Write(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >>'" + Log() + "'\n" + body + "\n");
        ::chmod(script.c_str(), 0755);
        ::setenv("PATH", (folder.Path().string() + ":" + formerPath_).c_str(), 1);
    }
    ~StandInOpener() { ::setenv("PATH", formerPath_.c_str(), 1); }
    StandInOpener(const StandInOpener&) = delete;
    StandInOpener& operator=(const StandInOpener&) = delete;

    // Every file handed to it, one a line.
    std::string Opened() const { return ScratchFolder::Read(Log()); }
    std::string Log() const { return folder / "opened.log"; }

    ScratchFolder folder;

private:
    std::string formerPath_;
};

}  // namespace quillora::testing

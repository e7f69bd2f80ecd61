#pragma once

#include "platform/Clock.h"
#include "platform/DialogHost.h"
#include "platform/FileDialogs.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/TempFolder.h"

namespace quillora {

// The platform objects of one run, made by main() or by a test, and used by the application
// object and its window.
struct Platform {
    FileSystem& fileSystem;
    Registry& registry;
    Clock& clock;
    MessageBoxes& messageBoxes;
    FileDialogs& fileDialogs;
    DialogHost& dialogHost;
    Shell& shell;
    TempFolder& tempFolder;
};

}  // namespace quillora

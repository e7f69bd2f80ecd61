#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"

namespace quillora {

// What quillora-create reaches of the system.
struct CreatePlatform {
    FileSystem& files;
    Registry& registry;
    Clock& clock;
    std::istream& input;
    std::ostream& output;
    std::ostream& errors;
    std::string workingFolder;  // for relative paths
};

// The exit statuses of quillora-create.
enum CreateStatus : int {
    kCreated = 0,              // the page, and its link when asked
    kNotCreated = 1,           // nothing written but, after the checks, the settings the Create button stores
    kWrongUse = 2,             // a wrong command line, terms not accepted, or no folder to save in
    kCreatedWithoutIndex = 3,  // the page was written, the index page was not updated
};

// Runs the Create command once with the fields and the save dialog answered from the
// arguments (without the program name), and returns its exit status.
//
// Before the Create command runs, in this order: the terms of use must have been accepted
// (--accept-terms accepts them); then the checks of the Create button: the number, the
// template, the title, the text; then, without --output, a folder must be known from an
// earlier run. Nothing is written before they pass, not even the settings file.
int RunCreateCommand(const std::vector<std::string>& arguments, CreatePlatform& platform);

}  // namespace quillora

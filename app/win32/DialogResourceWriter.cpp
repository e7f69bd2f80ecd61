// Writes the main window's template as a DIALOGEX statement of a resource script, from the same
// data that the other hosts build their windows from:
//   dialog_resource_writer OUTPUT.rc
// Runs on the build machine; the resource compiler turns its output into RT_DIALOG 102.
#include <cstdio>
#include <string>

#include "ui/WindowTemplate.h"

namespace {

using quillora::ControlClass;
using quillora::ControlTemplate;
using quillora::WindowTemplate;

// The dialog font's further attributes, written out so that the resource states them.
constexpr int kFontWeightNormal = 400;
constexpr int kFontNotItalic = 0;
constexpr int kFontDefaultCharset = 1;

// A quoted resource-script string; only printable ASCII is expected in the template's texts.
bool Quoted(const char* text, std::string& quoted) {
    quoted = "\"";
    for (const char* c = text; *c != '\0'; ++c) {
        auto byte = static_cast<unsigned char>(*c);
        if (byte < 0x20 || byte > 0x7E) return false;
        if (*c == '"') quoted += '"';
        quoted += *c;
    }
    quoted += '"';
    return true;
}

// The predefined window classes by their ordinals, as the dialog manager knows them; a class
// written by name would be stored as a string.
const char* ClassOrdinal(ControlClass controlClass) {
    switch (controlClass) {
    case ControlClass::Button: return "0x0080 /* Button */";
    case ControlClass::Edit: return "0x0081 /* Edit */";
    case ControlClass::Static: return "0x0082 /* Static */";
    }
    return "0x0082 /* Static */";
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

bool Write(const WindowTemplate& window, std::FILE* out) {
    std::string caption;
    std::string font;
    if (!Quoted(window.caption, caption) || !Quoted(window.fontName, font)) return false;
    std::fprintf(out, "// Generated from the main window's template data; do not edit.\n");
    std::fprintf(out, "%d DIALOGEX 0, 0, %d, %d\n", window.id, window.width, window.height);
    std::fprintf(out, "STYLE %s\n", Hex(window.style).c_str());
    std::fprintf(out, "EXSTYLE %s\n", Hex(window.extendedStyle).c_str());
    std::fprintf(out, "CAPTION %s\n", caption.c_str());
    std::fprintf(out, "FONT %d, %s, %d, %d, %d\n", window.fontPoints, font.c_str(), kFontWeightNormal, kFontNotItalic,
                 kFontDefaultCharset);
    std::fprintf(out, "BEGIN\n");
    for (const ControlTemplate& control : window.controls) {
        // A picture control names its bitmap by number instead of a text.
        std::string text = std::to_string(control.imageId);
        if (control.imageId == 0 && !Quoted(control.text, text)) return false;
        std::fprintf(out, "    CONTROL %s, %d, %s, %s, %d, %d, %d, %d\n", text.c_str(), control.id,
                     ClassOrdinal(control.controlClass), Hex(control.style).c_str(), control.x, control.y, control.width,
                     control.height);
    }
    std::fprintf(out, "END\n");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog_resource_writer OUTPUT.rc\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    bool written = Write(quillora::MainWindowTemplate(), out);
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "dialog_resource_writer: could not write %s\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}

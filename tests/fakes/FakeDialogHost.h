#pragma once

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DialogHost.h"
#include "ui/WindowTemplate.h"

namespace quillora::testing {

// A dialog without a screen: each control of the window template is a plain record of what the
// window put into it. The test plays the user: it types into fields, puts text on the
// clipboard and clicks, from `whileOpen` when the dialog runs through RunModal, or directly
// after Open.
class FakeDialogHost : public DialogHost {
public:
    struct Control {
        std::string text;
        int check = 0;
        std::size_t selectionStart = 0;
        std::size_t selectionEnd = 0;
        std::optional<std::string> face;  // bytes given to SetButtonFace
        int textWrites = 0;
    };

    explicit FakeDialogHost(const WindowTemplate& window = MainWindowTemplate()) : window_(window) { Create(); }

    // A new dialog from the template, as each run of the program builds one. The clipboard stays.
    void Create() {
        controls.clear();
        for (const ControlTemplate& control : window_.controls) {
            if (control.id != ControlId::kUnaddressed) controls[control.id].text = control.text;
        }
        caption = window_.caption;
        icons.reset();
        focus = 0;
        scrolledTo.clear();
        log.clear();
        visible = false;
        ended = false;
        result = DialogResult::Cancel;
    }

    // Initialises the dialog; shows it (with the focus on the first tab stop, when asked for)
    // unless it ended meanwhile. False when it ended.
    bool Open(DialogHandler& handler) {
        handler_ = &handler;
        bool focusFirst = handler.InitialiseWindow();
        if (ended) return false;
        if (focusFirst) focus = FirstTabStop();
        visible = true;
        return true;
    }

    DialogResult RunModal(DialogHandler& handler) override {
        ++runs;
        if (runs > 1) Create();
        if (Open(handler) && whileOpen) whileOpen(*this);
        // The user leaves a dialog that the script left open through the close box.
        if (!ended) Command(kIdCancel);
        visible = false;
        return result;
    }
    void EndDialog(DialogResult endedWith) override {
        ended = true;
        result = endedWith;
        visible = false;
        log.push_back("end");
    }

    std::string Text(int id) override { return At(id).text; }
    void SetText(int id, const std::string& text) override {
        Control& control = At(id);
        control.text = text;
        control.selectionStart = control.selectionEnd = 0;
        ++control.textWrites;
        log.push_back("text " + std::to_string(id));
    }
    int CheckState(int id) override { return At(id).check; }
    void SetCheckState(int id, int state) override {
        At(id).check = state;
        log.push_back("check " + std::to_string(id));
    }
    void SetCaption(const std::string& text) override {
        caption = text;
        log.push_back("caption");
    }
    void SetIcons(std::string_view iconFile) override {
        icons = std::string(iconFile);
        log.push_back("icons");
    }
    void SetButtonFace(int id, std::string_view bitmapFile) override {
        At(id).face = std::string(bitmapFile);
        log.push_back("face " + std::to_string(id));
    }
    void SetFocus(int id) override { focus = id; }
    void SelectAllText(int id) override {
        Control& control = At(id);
        control.selectionStart = 0;
        control.selectionEnd = control.text.size();
    }
    void ScrollCaretIntoView(int id) override { scrolledTo.push_back(id); }
    void Paste(int id) override {
        if (!clipboard) return;
        Control& control = At(id);
        control.text.replace(control.selectionStart, control.selectionEnd - control.selectionStart, *clipboard);
        control.selectionStart = control.selectionEnd = control.selectionStart + clipboard->size();
    }

    // The user's side.
    void Type(int id, const std::string& text) { At(id).text = text; }
    void Tick(int id, int state) { At(id).check = state; }
    void Command(int id) { handler_->OnCommand(id); }
    bool Selected(int id) {
        const Control& control = At(id);
        return control.selectionStart == 0 && control.selectionEnd == control.text.size();
    }

    std::map<int, Control> controls;
    std::string caption;
    std::optional<std::string> icons;
    std::optional<std::string> clipboard;
    int focus = 0;
    std::vector<int> scrolledTo;
    std::vector<std::string> log;  // the window's calls in order, by kind and control
    bool visible = false;
    bool ended = false;
    DialogResult result = DialogResult::Cancel;
    int runs = 0;
    std::function<void(FakeDialogHost&)> whileOpen;

private:
    Control& At(int id) {
        auto found = controls.find(id);
        if (found == controls.end()) throw std::out_of_range("no control " + std::to_string(id));
        return found->second;
    }
    int FirstTabStop() const {
        for (const ControlTemplate& control : window_.controls) {
            if (control.Has(Style::kTabStop)) return control.id;
        }
        return 0;
    }

    const WindowTemplate& window_;
    DialogHandler* handler_ = nullptr;
};

}  // namespace quillora::testing

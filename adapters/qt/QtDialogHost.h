#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <QDialog>
#include <QFont>
#include <QRect>

#include "platform/DialogHost.h"
#include "platform/DialogTemplate.h"

namespace quillora {

// Dialog units to pixels, from the dialog font as the template's font would be measured: a
// horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int averageCharWidth, int charHeight) : baseX_(averageCharWidth), baseY_(charHeight) {}

    int X(int units) const { return Scale(units, baseX_, 4); }
    int Y(int units) const { return Scale(units, baseY_, 8); }
    QRect Rect(int x, int y, int width, int height) const { return QRect(X(x), Y(y), X(width), Y(height)); }

private:
    static int Scale(int units, int base, int divisor) { return (units * base + divisor / 2) / divisor; }

    int baseX_;
    int baseY_;
};

class HostDialog;

// The dialog host on Qt 6 Widgets: a fixed-size QDialog with one widget for each control of the
// window template, white throughout, run as an application-modal window.
//
// Keyboard: Tab follows the template order; Enter clicks a focused push button (no button is
// ever the default one), starts a new line in the multi-line field and sends the OK command
// anywhere else; Esc, the close box and
// Alt+F4 send the Cancel command; F1 does nothing.
class QtDialogHost : public DialogHost {
public:
    explicit QtDialogHost(const WindowTemplate& window);
    ~QtDialogHost() override;
    QtDialogHost(const QtDialogHost&) = delete;
    QtDialogHost& operator=(const QtDialogHost&) = delete;

    DialogResult RunModal(DialogHandler& handler) override;
    void EndDialog(DialogResult result) override;

    std::string Text(int id) override;
    void SetText(int id, const std::string& text) override;
    int CheckState(int id) override;
    void SetCheckState(int id, int state) override;
    void SetCaption(const std::string& caption) override;
    void SetIcons(std::string_view iconFile) override;
    void SetButtonFace(int id, std::string_view bitmapFile) override;
    void SetFocus(int id) override;
    void SelectAllText(int id) override;
    void ScrollCaretIntoView(int id) override;
    void Paste(int id) override;

    // The first half of RunModal: initialises the dialog through the handler and shows it, with
    // the focus on the first tab stop when the handler asks for it. False when the dialog ended
    // during its initialisation; it is then never shown.
    bool Open(DialogHandler& handler);

    QDialog& Dialog();
    QWidget* Control(int id) const;
    const DialogUnits& Units() const { return units_; }

private:
    void Build(const WindowTemplate& window);

    std::unique_ptr<HostDialog> dialog_;
    DialogUnits units_;
    std::map<int, QWidget*> controls_;
    QWidget* firstTabStop_ = nullptr;
    DialogHandler* handler_ = nullptr;
    DialogResult result_ = DialogResult::Cancel;
    bool ended_ = false;
};

}  // namespace quillora

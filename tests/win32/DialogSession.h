#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "WindowDriver.h"
#include "adapters/win32/Win32DialogHost.h"
#include "ui/WindowTemplate.h"

namespace quillora::testing {

// A command id that no control has: posted behind other messages, its arrival shows that the
// dialog has handled everything posted before it.
inline constexpr int kMarker = 0x7777;

// Records the commands that the host forwards; IDOK and IDCANCEL end the dialog as the main
// window's would (when it accepts the fields).
class RecordingHandler : public DialogHandler {
public:
    explicit RecordingHandler(Win32DialogHost& host) : host_(host) {}

    // Runs inside InitialiseWindow, on the dialog's thread, before the window is shown.
    std::function<void(Win32DialogHost&)> onInitialise;
    // Runs for every command but the marker, on the dialog's thread.
    std::function<void(int)> onCommand;
    bool focusFirst = true;

    bool InitialiseWindow() override {
        if (onInitialise) onInitialise(host_);
        dialog = host_.Window();
        return focusFirst;
    }

    void OnCommand(int id) override {
        if (id != kMarker && onCommand) onCommand(id);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            (id == kMarker ? markers_ : commands_).push_back(id);
        }
        changed_.notify_all();
        if (id == kIdOk) host_.EndDialog(DialogResult::Ok);
        if (id == kIdCancel) host_.EndDialog(DialogResult::Cancel);
    }

    std::vector<int> Commands() {
        std::lock_guard<std::mutex> lock(mutex_);
        return commands_;
    }
    bool WaitForCommand(int id, std::chrono::milliseconds limit = 10s) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return std::count(commands_.begin(), commands_.end(), id) > 0; });
    }
    bool WaitForMarkers(std::size_t count, std::chrono::milliseconds limit = 10s) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return markers_.size() >= count; });
    }
    std::size_t MarkerCount() {
        std::lock_guard<std::mutex> lock(mutex_);
        return markers_.size();
    }

    std::atomic<HWND> dialog{nullptr};

private:
    Win32DialogHost& host_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<int> commands_;
    std::vector<int> markers_;
};

// Template 102 from this test program's own resources, run modally on the test's thread while
// `play` acts on it from a second thread, as a user would; the dialog ends with IDCANCEL after
// play unless play ended it.
class DialogSession {
public:
    DialogSession() : host(GetModuleHandleA(nullptr), MainWindowTemplate()), handler(host) {}

    DialogResult Run(const std::function<void()>& play) {
        std::thread player([&] {
            const bool shown = WaitUntil([&] {
                HWND window = handler.dialog;
                return window != nullptr && IsWindowVisible(window);
            });
            EXPECT_TRUE(shown) << "the dialog did not show";
            if (shown) {
                Sync();
                play();
            }
            HWND window = handler.dialog;
            if (window != nullptr && IsWindow(window)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        });
        DialogResult result = host.RunModal(handler);
        player.join();
        return result;
    }

    HWND Dialog() const { return handler.dialog; }
    HWND Item(int id) const { return GetDlgItem(Dialog(), id); }
    // Waits until the dialog has handled every message posted to it so far.
    void Sync() {
        const std::size_t next = handler.MarkerCount() + 1;
        PostMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(kMarker, BN_CLICKED), 0);
        EXPECT_TRUE(handler.WaitForMarkers(next)) << "the dialog stopped handling messages";
    }
    // Moves the focus through the host, as the window logic does, and checks that it arrived.
    void Focus(int id) {
        host.SetFocus(id);
        Sync();
        EXPECT_EQ(FocusOf(Dialog()), Item(id)) << "focus on " << id;
    }
    // Dialog units to pixels.
    RECT Pixels(int x, int y, int width, int height) const {
        RECT rect{x, y, x + width, y + height};
        MapDialogRect(Dialog(), &rect);
        return rect;
    }
    // A control's place in pixels: the dialog manager converts its position and its size each
    // on its own, so the far edges may differ by one from those of Pixels.
    RECT Place(int x, int y, int width, int height) const {
        RECT corner{0, 0, x, y};
        RECT size{0, 0, width, height};
        MapDialogRect(Dialog(), &corner);
        MapDialogRect(Dialog(), &size);
        return RECT{corner.right, corner.bottom, corner.right + size.right, corner.bottom + size.bottom};
    }

    Win32DialogHost host;
    RecordingHandler handler;
};

}  // namespace quillora::testing

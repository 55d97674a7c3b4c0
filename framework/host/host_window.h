// The host's windows, icons and device contexts: plain records behind the
// Win32 handles, so that the terminal dialog can draw a window's state and
// tests can look at what the program did to it.
#pragma once

#include "framework/afxwin.h"

#include <vector>

struct DialogTemplate;

// One message as SendMessageA received it.
struct HostMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct HostDrawnIcon {
    int x, y;
    HICON icon;
};

struct HDC__ {
    HWND window = nullptr;
    std::vector<HostDrawnIcon> drawn;  // since the last BeginPaint
};

struct HICON__ {
    int resourceId;
};

struct HWND__ {
    CWnd* wnd = nullptr;
    const DialogTemplate* dialogTemplate = nullptr;
    bool enabled = true;
    bool iconic = false;
    RECT client{0, 0, 0, 0};
    HICON icons[2] = {nullptr, nullptr};  // ICON_SMALL, ICON_BIG
    bool ended = false;
    INT_PTR result = 0;
    std::vector<HostMessage> sent;  // every message sent to the window, in order
    HDC__ paintDc;
};

// Gives the window object a host window for as long as this lives. The
// client area is the template's size in dialog units, or empty without one.
class HostWindow {
public:
    HostWindow(CWnd* wnd, const DialogTemplate* dialogTemplate);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND handle() { return &m_window; }

private:
    HWND__ m_window;
};

// Presses a button of the dialog the way a click does: nothing happens while
// the window is disabled.
void HostPressButton(HWND window, int id);

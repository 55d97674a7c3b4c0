// The Win32 window calls on the host: each HWND is a HWND__ record.
#include "framework/dialog_template.h"
#include "framework/host/host_window.h"

#include <map>

namespace {

// An icon is a resource id: the host has nothing to draw it with.
HICON IconOfResource(int id)
{
    static std::map<int, HICON__> s_icons;
    HICON__& icon = s_icons[id];
    icon.resourceId = id;
    return &icon;
}

}  // namespace

HostWindow::HostWindow(CWnd* wnd, const DialogTemplate* dialogTemplate)
{
    m_window.wnd = wnd;
    m_window.dialogTemplate = dialogTemplate;
    if (dialogTemplate)
        m_window.client = RECT{0, 0, dialogTemplate->cx, dialogTemplate->cy};
    m_window.paintDc.window = &m_window;
    wnd->m_hWnd = &m_window;
}

HostWindow::~HostWindow()
{
    if (m_window.wnd->m_hWnd == &m_window)
        m_window.wnd->m_hWnd = nullptr;
}

void HostPressButton(HWND window, int id)
{
    if (window && window->enabled && !window->ended)
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!window || !window->wnd)
        return 0;
    window->sent.push_back(HostMessage{message, wParam, lParam});
    return window->wnd->WindowProc(message, wParam, lParam);
}

// What the system does with a message the window's map leaves alone.
LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = m_hWnd;
    if (!window)
        return 0;
    switch (message) {
    case WM_SETICON: {
        HICON& slot = window->icons[wParam == ICON_BIG ? ICON_BIG : ICON_SMALL];
        HICON previous = slot;
        slot = (HICON)lParam;
        return (LRESULT)previous;
    }
    case WM_CLOSE:
        // A dialog's close box is its Cancel button.
        if (window->dialogTemplate)
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    default:
        // Painting is the terminal's business; there is no drag cursor.
        return 0;
    }
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable)
{
    if (!window)
        return FALSE;
    bool wasDisabled = !window->enabled;
    window->enabled = enable != FALSE;
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND window)
{
    return window && window->enabled;
}

// The terminal shows one window at a time: it is always in front.
BOOL WINAPI SetForegroundWindow(HWND window)
{
    return window != nullptr;
}

BOOL WINAPI IsIconic(HWND window)
{
    return window && window->iconic;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect)
{
    if (!window || !rect)
        return FALSE;
    *rect = window->client;
    return TRUE;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result)
{
    if (!dialog)
        return FALSE;
    dialog->ended = true;
    dialog->result = result;
    return TRUE;
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR name)
{
    if (!IS_INTRESOURCE(name))
        return nullptr;
    return IconOfResource(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
}

int WINAPI GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    default:
        return 0;
    }
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint)
{
    if (!window)
        return nullptr;
    window->paintDc.drawn.clear();
    if (paint) {
        *paint = PAINTSTRUCT{};
        paint->hdc = &window->paintDc;
        paint->rcPaint = window->client;
    }
    return &window->paintDc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*)
{
    return TRUE;
}

BOOL WINAPI DrawIcon(HDC dc, int x, int y, HICON icon)
{
    if (!dc || !icon)
        return FALSE;
    dc->drawn.push_back(HostDrawnIcon{x, y, icon});
    return TRUE;
}

// CDialog::DoModal on Windows: the system's dialog manager builds the dialog
// from the template resource and runs the modal loop; its dialog procedure
// hands every message to the window's message map.
#include "framework/afxwin.h"

namespace {

// The message the dialog procedure is handing to the map right now. When
// the map leaves it to the system (CWnd::Default), the procedure returns
// FALSE and the dialog manager does the default handling afterwards.
struct Dispatch {
    HWND window;
    UINT message;
    bool defaultWanted;
};

Dispatch* g_dispatch = nullptr;

// The few messages whose result a dialog procedure returns itself; for all
// others it goes through DWL_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    return message == WM_INITDIALOG || message == WM_QUERYDRAGICON || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CWnd* dialog = reinterpret_cast<CWnd*>(lParam);
        dialog->m_hWnd = window;
        SetWindowLongA(window, DWL_USER, reinterpret_cast<LONG>(dialog));
    }
    // Nothing before WM_INITDIALOG (WM_SETFONT) is the map's business.
    CWnd* wnd = reinterpret_cast<CWnd*>(GetWindowLongA(window, DWL_USER));
    if (!wnd)
        return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongA(window, DWL_USER, 0);
        wnd->m_hWnd = nullptr;
        return FALSE;
    }

    Dispatch dispatch = {window, message, false};
    Dispatch* outer = g_dispatch;
    g_dispatch = &dispatch;
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    g_dispatch = outer;

    if (dispatch.defaultWanted)
        return FALSE;
    if (ReturnsResultDirectly(message))
        return result;
    SetWindowLongA(window, DWL_MSGRESULT, static_cast<LONG>(result));
    return TRUE;
}

}  // namespace

INT_PTR CDialog::DoModal()
{
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : NULL;
    INT_PTR result = DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDHelp), owner, DialogProc,
                                     reinterpret_cast<LPARAM>(static_cast<CWnd*>(this)));
    m_hWnd = nullptr;
    return result;
}

// Only dialogs have windows in this framework. For the message the dialog
// procedure is handling, the default comes after the handler returns, so
// what Default() returns here is 0.
LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_dispatch && g_dispatch->window == m_hWnd && g_dispatch->message == message) {
        g_dispatch->defaultWanted = true;
        return 0;
    }
    if (!m_hWnd)
        return 0;
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

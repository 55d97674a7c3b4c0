// The least of an MFC-like window framework that a dialog application needs:
// one application object, modal dialogs built from a dialog template, and
// message maps that route window messages and commands to member functions.
//
// Everything here is common to both systems except the few members marked
// "per system", which framework/host/ and framework/win32/ implement.
#pragma once

#include "win32api.h"

class CCmdTarget;
class CWnd;
class CWinApp;

#define ID_HELP 0xE146

// One message-map entry. Instead of a member pointer cast to a common type
// and a signature code, each entry holds a small function that calls the
// handler with its own signature; the macros below write it.
typedef LRESULT (*AFX_PMSGHANDLER)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_COMMAND for commands; 0 ends the table
    UINT nID;       // command id, for WM_COMMAND entries
    AFX_PMSGHANDLER pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null at the root
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The handler for a message, or for a command when message is WM_COMMAND,
// searched from the given map through its base maps; null when none.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT id);

#define DECLARE_MESSAGE_MAP()                           \
protected:                                              \
    static const AFX_MSGMAP* GetThisMessageMap();       \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                            \
    const AFX_MSGMAP* theClass::GetMessageMap() const                     \
    {                                                                     \
        return GetThisMessageMap();                                       \
    }                                                                     \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                       \
    {                                                                     \
        typedef theClass ThisClass;                                       \
        typedef baseClass TheBaseClass;                                   \
        static_assert(sizeof(ThisClass) > 0, "a complete class");         \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                 \
            {0, 0, nullptr}};                                             \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap;                                               \
    }

// memberFxn may be qualified (CWinApp::OnHelp): the call is then made to
// that class's handler, as MFC does.
#define ON_COMMAND(id, memberFxn)                                                      \
    {WM_COMMAND, (UINT)(id), [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {            \
         static_cast<ThisClass*>(t)->memberFxn();                                      \
         return 0;                                                                     \
     }},

// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn)                                                 \
    {(UINT)(message), 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {            \
         return static_cast<ThisClass*>(t)->memberFxn(w, l);                           \
     }},

#define ON_WM_PAINT()                                                                  \
    {WM_PAINT, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {                       \
         static_cast<ThisClass*>(t)->OnPaint();                                        \
         return 0;                                                                     \
     }},

#define ON_WM_QUERYDRAGICON()                                                          \
    {WM_QUERYDRAGICON, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {               \
         return (LRESULT)static_cast<ThisClass*>(t)->OnQueryDragIcon();                \
     }},

#define afx_msg

class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget();

    // Runs the handler of command nID from this object's map; false when
    // the map has none.
    virtual BOOL OnCmdMsg(UINT nID);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

class CWinApp : public CCmdTarget {
public:
    // Becomes the object AfxGetApp returns; a program has exactly one.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // What AfxWinMain returns when InitInstance has declined to run.
    virtual int ExitInstance();

    HICON LoadIcon(UINT nIDResource) const;

    // There is no help file: the Help command is accepted and does nothing.
    afx_msg void OnHelp();

    LPCSTR m_pszAppName;
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;

private:
    // A test may put an application object of its own in front of the
    // program's for as long as it lives.
    CWinApp* m_pPreviousApp;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// The framework's start-up, called by each system's program entry: sets the
// error mode the program relies on (no critical-error or open-file boxes),
// then runs the application object. Returns the process exit code.
int AfxWinMain(HINSTANCE hInstance);

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    operator LPRECT() { return this; }
};

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL SetForegroundWindow();
    BOOL IsIconic() const;
    void GetClientRect(LPRECT lpRect) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    // Where both systems deliver every message for this window: the message
    // map first, then the system's default handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Runs the map's handler of a message; false when there is none.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Commands go to the window's map, then to the application's.
    BOOL OnCmdMsg(UINT nID) override;

    // Moves data between the dialog's controls and its members; this
    // program's dialog has none.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    // The system's default handling of the message now being handled.
    LRESULT Default();
    // Per system: the system's default handling of one message.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();

    UINT m_nMsg = 0;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;

    DECLARE_MESSAGE_MAP()
};

class CDialog : public CWnd {
public:
    CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Per system: shows the dialog from its template and returns the result
    // given to EndDialog, or -1 when it could not be shown.
    virtual INT_PTR DoModal();

    virtual BOOL OnInitDialog();
    void EndDialog(int nResult);

    UINT m_nIDHelp;  // the template id
    CWnd* m_pParentWnd;

protected:
    virtual void OnOK();
    virtual void OnCancel();

    afx_msg LRESULT HandleInitDialog(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};

class CDC {
public:
    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    PAINTSTRUCT m_ps;

protected:
    HWND m_hWnd;
};

// The 3-D look of dialog controls is the system's own since Windows 95;
// there is nothing to switch on.
inline BOOL Enable3dControlsStatic() { return TRUE; }

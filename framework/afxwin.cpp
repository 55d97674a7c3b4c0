// The part of the framework that is the same on every system: message-map
// dispatch, the application object and the dialog's standard handlers.
#include "framework/afxwin.h"

namespace {

CWinApp* g_app = nullptr;

}  // namespace

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT id)
{
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage; ++entry) {
            if (entry->nMessage == message && (message != WM_COMMAND || entry->nID == id))
                return entry;
        }
    }
    return nullptr;
}

// The root map has no entries and no base.
const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

CCmdTarget::~CCmdTarget() = default;

BOOL CCmdTarget::OnCmdMsg(UINT nID)
{
    const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(GetMessageMap(), WM_COMMAND, nID);
    if (!entry)
        return FALSE;
    entry->pfn(this, 0, 0);
    return TRUE;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName), m_pPreviousApp(g_app)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = m_pPreviousApp;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(nIDResource));
}

void CWinApp::OnHelp()
{
}

CWinApp* AfxGetApp()
{
    return g_app;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_app ? g_app->m_hInstance : nullptr;
}

int AfxWinMain(HINSTANCE hInstance)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    // The drive-A probe must fail quietly instead of asking for a disk.
    UINT mode = SetErrorMode(0);
    SetErrorMode(mode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    app->m_hInstance = hInstance;
    // A dialog application does all its work in InitInstance; with no
    // modeless main window there is no message loop to run afterwards.
    app->InitInstance();
    return app->ExitInstance();
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd() = default;

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    return ::EnableWindow(m_hWnd, bEnable);
}

BOOL CWnd::SetForegroundWindow()
{
    return ::SetForegroundWindow(m_hWnd);
}

BOOL CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(LPRECT lpRect) const
{
    ::GetClientRect(m_hWnd, lpRect);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return (HICON)SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Handlers send messages to their own window (OnPaint does), so the
    // message that Default refers to is kept per call.
    UINT savedMsg = m_nMsg;
    WPARAM savedWParam = m_wParam;
    LPARAM savedLParam = m_lParam;
    m_nMsg = message;
    m_wParam = wParam;
    m_lParam = lParam;

    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);

    m_nMsg = savedMsg;
    m_wParam = savedWParam;
    m_lParam = savedLParam;
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        // Buttons notify BN_CLICKED (0), accelerators 1; other control
        // notifications are not commands.
        if (HIWORD(wParam) > 1 || !OnCmdMsg(LOWORD(wParam)))
            return FALSE;
        *pResult = 0;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(GetMessageMap(), message, 0);
    if (!entry)
        return FALSE;
    *pResult = entry->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCmdMsg(UINT nID)
{
    if (CCmdTarget::OnCmdMsg(nID))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_nMsg, m_wParam, m_lParam);
}

void CWnd::OnPaint()
{
    Default();
}

HCURSOR CWnd::OnQueryDragIcon()
{
    return (HCURSOR)Default();
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog() = default;

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
}

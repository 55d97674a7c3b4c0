#include "app/patch_app.h"

#include "app/patch_dlg.h"

BEGIN_MESSAGE_MAP(CPatchApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CPatchApp::CPatchApp() = default;

CPatchApp::~CPatchApp() = default;

CPatchApp theApp;

// Returns false: once the dialog has closed there is nothing left to run.
BOOL CPatchApp::InitInstance()
{
    Enable3dControlsStatic();

    CPatchDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

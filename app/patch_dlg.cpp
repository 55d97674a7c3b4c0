#include "app/patch_dlg.h"

#include "run/patch_run.h"

BEGIN_MESSAGE_MAP(CPatchDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

CPatchDlg::CPatchDlg(CWnd* pParent) : CDialog(CPatchDlg::IDD, pParent)
{
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

CPatchDlg::~CPatchDlg() = default;

void CPatchDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

BOOL CPatchDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    return TRUE;  // the default button gets the focus
}

// When minimised the dialog shows its icon in the middle of the client area.
void CPatchDlg::OnPaint()
{
    if (IsIconic()) {
        CPaintDC dc(this);

        SendMessage(WM_ICONERASEBKGND, (WPARAM)dc.GetSafeHdc(), 0);

        int cxIcon = GetSystemMetrics(SM_CXICON);
        int cyIcon = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        int x = (rect.Width() - cxIcon + 1) / 2;
        int y = (rect.Height() - cyIcon + 1) / 2;

        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CPatchDlg::OnQueryDragIcon()
{
    return (HCURSOR)m_hIcon;
}

// "&Yes". The dialog stays open: after a completed run the system restarts,
// after a failed platform check the user chooses again. It is disabled for
// the run, since the run's boxes have no owner and a second "&Yes" pressed
// behind one of them would start a run inside the run. A box that closes
// while the dialog is disabled hands the activation elsewhere, so the dialog
// takes it back for the keyboard to reach it again.
void CPatchDlg::OnOK()
{
    EnableWindow(FALSE);
    RunPatch();
    EnableWindow(TRUE);
    SetForegroundWindow();
}

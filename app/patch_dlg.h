// The confirmation dialog: "&Yes" runs the patch, "&No" ends the program.
#pragma once

#include "app/resource.h"
#include "framework/afxwin.h"

class CPatchDlg : public CDialog {
public:
    explicit CPatchDlg(CWnd* pParent = nullptr);
    ~CPatchDlg() override;

    enum { IDD = IDD_PATCH_DIALOG };

protected:
    HICON m_hIcon;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();

    DECLARE_MESSAGE_MAP()
};

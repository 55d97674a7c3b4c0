// The application object: it shows the confirmation dialog and ends.
#pragma once

#include "framework/afxwin.h"

class CPatchApp : public CWinApp {
public:
    CPatchApp();
    ~CPatchApp() override;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

// The one application object, constructed before start-up.
extern CPatchApp theApp;

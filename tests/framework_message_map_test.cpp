// Message maps and the dialog's standard handlers, on the host backend's
// window records.
#include "app/resource.h"
#include "framework/afxwin.h"
#include "framework/dialog_template.h"
#include "framework/host/host_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;

const int kTemplateId = 4242;  // no such template: these dialogs never run modally
const UINT kOwnCommand = 3001;
const UINT kAppCommand = 3002;

class CBaseDlg : public CDialog {
public:
    CBaseDlg() : CDialog(kTemplateId) {}

protected:
    afx_msg void OnPaint() { g_calls.push_back("base paint"); }
    afx_msg HCURSOR OnQueryDragIcon() { return nullptr; }
    void DoDataExchange(CDataExchange* pDX) override
    {
        g_calls.push_back(pDX->m_bSaveAndValidate ? "exchange save" : "exchange load");
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseDlg, CDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

// Adds its own entries and inherits the rest.
class CDerivedDlg : public CBaseDlg {
protected:
    afx_msg HCURSOR OnQueryDragIcon()
    {
        g_calls.push_back("derived drag icon");
        return reinterpret_cast<HCURSOR>(&g_calls);
    }
    afx_msg void OnOwnCommand() { g_calls.push_back("own command"); }
    afx_msg LRESULT OnSetIconSeen(WPARAM w, LPARAM)
    {
        g_calls.push_back("seticon " + std::to_string(w));
        return Default();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedDlg, CBaseDlg)
    ON_WM_QUERYDRAGICON()
    ON_COMMAND(kOwnCommand, OnOwnCommand)
    ON_MESSAGE(WM_SETICON, OnSetIconSeen)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        UINT mode = SetErrorMode(0);
        SetErrorMode(mode);
        errorModeAtStart = mode;
        started = true;
        return FALSE;
    }
    int ExitInstance() override { return 7; }

    afx_msg void OnAppCommand() { g_calls.push_back("app command"); }

    UINT errorModeAtStart = 0;
    bool started = false;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(kAppCommand, OnAppCommand)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }

    LRESULT Command(UINT id, WORD code = BN_CLICKED)
    {
        return m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, code), 0);
    }

    CTestApp m_app;
    CDerivedDlg m_dlg;
    HostWindow m_window{&m_dlg, nullptr};
};

TEST_F(MessageMapTest, HandlersAreFoundInTheClassOrItsBases)
{
    m_dlg.SendMessage(WM_PAINT);
    EXPECT_EQ(m_dlg.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(&g_calls));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"base paint", "derived drag icon"}));
}

TEST_F(MessageMapTest, CommandsGoToTheWindowThenToTheApplication)
{
    Command(kOwnCommand);
    Command(kAppCommand);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"own command", "app command"}));
    EXPECT_TRUE(m_dlg.OnCmdMsg(ID_HELP));
    EXPECT_FALSE(m_dlg.OnCmdMsg(4000));
    EXPECT_FALSE(m_window.handle()->ended);
}

// Only clicks and accelerators are commands; other notifications from a
// control with the same id are not.
TEST_F(MessageMapTest, ControlNotificationsAreNotCommands)
{
    Command(kOwnCommand, 1);
    Command(kOwnCommand, 5);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"own command"}));
}

// Default() inside a handler means the message being handled, even after a
// nested message.
TEST_F(MessageMapTest, DefaultHandlesTheCurrentMessage)
{
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(128));
    m_dlg.SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"seticon 1"}));
    EXPECT_EQ(m_window.handle()->icons[ICON_BIG], icon);
    EXPECT_EQ(m_window.handle()->icons[ICON_SMALL], nullptr);
}

TEST_F(MessageMapTest, TheDialogsStandardHandlersEndIt)
{
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        INT_PTR result;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"OK", WM_COMMAND, IDOK, IDOK, {"exchange save"}},
        {"Cancel", WM_COMMAND, IDCANCEL, IDCANCEL, {}},
        {"close box", WM_CLOSE, 0, IDCANCEL, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CDerivedDlg dlg;
        HostWindow window(&dlg, FindDialogTemplate(IDD_PATCH_DIALOG));
        g_calls.clear();
        dlg.SendMessage(c.message, c.wParam, 0);
        EXPECT_TRUE(window.handle()->ended);
        EXPECT_EQ(window.handle()->result, c.result);
        EXPECT_EQ(g_calls, c.calls);
    }
}

TEST_F(MessageMapTest, InitDialogLoadsTheDataAndGivesTheFocusAway)
{
    EXPECT_EQ(m_dlg.SendMessage(WM_INITDIALOG), TRUE);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"exchange load"}));
}

TEST_F(MessageMapTest, ADisabledDialogIgnoresButtonPresses)
{
    m_dlg.EnableWindow(FALSE);
    HostPressButton(m_window.handle(), IDCANCEL);
    EXPECT_FALSE(m_window.handle()->ended);
    m_dlg.EnableWindow(TRUE);
    HostPressButton(m_window.handle(), IDCANCEL);
    EXPECT_TRUE(m_window.handle()->ended);
}

TEST(WinMainTest, StartUpSwitchesTheSystemErrorBoxesOffAndRunsTheApplication)
{
    UINT before = SetErrorMode(0x0004);  // another bit, which must stay
    {
        CTestApp app;
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_EQ(AfxWinMain(nullptr), 7);
        EXPECT_TRUE(app.started);
        EXPECT_EQ(app.errorModeAtStart, 0x0004u | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    }
    EXPECT_NE(AfxGetApp(), nullptr) << "the program's own application object is back";
    SetErrorMode(before);
}

}  // namespace

// The confirmation dialog's handlers, on a host window without the modal
// loop: the icons, the minimised painting, and "&Yes" around the run.
#include "app/patch_dlg.h"
#include "framework/dialog_template.h"
#include "framework/host/host_window.h"
#include "platform/host/host.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

HICON AppIcon()
{
    return LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

class PatchDlgTest : public ::testing::Test {
protected:
    HWND Window() { return m_window.handle(); }

    CPatchDlg m_dlg;
    HostWindow m_window{&m_dlg, FindDialogTemplate(IDD_PATCH_DIALOG)};
};

TEST_F(PatchDlgTest, InitDialogSetsTheIconLargeThenSmall)
{
    EXPECT_EQ(m_dlg.SendMessage(WM_INITDIALOG), TRUE);
    ASSERT_EQ(Window()->sent.size(), 3u);
    const HostMessage& large = Window()->sent[1];
    const HostMessage& small = Window()->sent[2];
    EXPECT_EQ(large.message, static_cast<UINT>(WM_SETICON));
    EXPECT_EQ(large.wParam, static_cast<WPARAM>(ICON_BIG));
    EXPECT_EQ(small.message, static_cast<UINT>(WM_SETICON));
    EXPECT_EQ(small.wParam, static_cast<WPARAM>(ICON_SMALL));
    EXPECT_EQ(Window()->icons[ICON_BIG], AppIcon());
    EXPECT_EQ(Window()->icons[ICON_SMALL], AppIcon());
    EXPECT_EQ(AppIcon()->resourceId, IDR_MAINFRAME);
}

TEST_F(PatchDlgTest, TheDragCursorIsTheApplicationIcon)
{
    EXPECT_EQ(m_dlg.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(AppIcon()));
}

// x = (width - 32 + 1) / 2 and y likewise, in integer division.
TEST_F(PatchDlgTest, MinimisedTheIconIsDrawnInTheMiddleOfTheClientArea)
{
    struct Case {
        LONG width, height;
        int x, y;
    } cases[] = {
        {160, 100, 64, 34}, {32, 32, 0, 0}, {33, 34, 1, 1}, {31, 0, 0, -15}, {319, 183, 144, 76},
    };
    Window()->iconic = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " by " + std::to_string(c.height));
        Window()->client = RECT{10, 20, 10 + c.width, 20 + c.height};
        Window()->sent.clear();
        m_dlg.SendMessage(WM_PAINT);

        ASSERT_EQ(Window()->sent.size(), 2u);
        EXPECT_EQ(Window()->sent[1].message, static_cast<UINT>(WM_ICONERASEBKGND));
        EXPECT_EQ(Window()->sent[1].wParam, reinterpret_cast<WPARAM>(&Window()->paintDc));
        ASSERT_EQ(Window()->paintDc.drawn.size(), 1u);
        EXPECT_EQ(Window()->paintDc.drawn[0].x, c.x);
        EXPECT_EQ(Window()->paintDc.drawn[0].y, c.y);
        EXPECT_EQ(Window()->paintDc.drawn[0].icon, AppIcon());
    }
}

TEST_F(PatchDlgTest, NotMinimisedPaintingIsLeftToTheSystem)
{
    m_dlg.SendMessage(WM_PAINT);
    EXPECT_EQ(Window()->sent.size(), 1u);
    EXPECT_TRUE(Window()->paintDc.drawn.empty());
}

TEST_F(PatchDlgTest, NoAndTheCloseBoxEndTheDialog)
{
    for (UINT message : {static_cast<UINT>(WM_COMMAND), static_cast<UINT>(WM_CLOSE)}) {
        SCOPED_TRACE(message);
        CPatchDlg dlg;
        HostWindow window(&dlg, FindDialogTemplate(IDD_PATCH_DIALOG));
        dlg.SendMessage(message, message == WM_COMMAND ? IDCANCEL : 0, 0);
        EXPECT_TRUE(window.handle()->ended);
        EXPECT_EQ(window.handle()->result, IDCANCEL);
    }
}

TEST_F(PatchDlgTest, HelpIsAcceptedAndChangesNothing)
{
    m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, 1), 0);
    EXPECT_TRUE(m_dlg.OnCmdMsg(ID_HELP));
    EXPECT_FALSE(Window()->ended);
}

// "&Yes" on a copy of the demo machine: the dialog is disabled while each of
// the run's boxes is up, enabled again afterwards, and never ended by the
// handler itself.
class PatchDlgRunTest : public PatchDlgTest {
protected:
    void SetUp() override
    {
        ResetPatchTables();
        ClearRestartRequest();
        fs::copy(BRENNICK_SOURCE_DIR "/demo/machine", m_machine.path(), fs::copy_options::recursive);
        setenv("WIN95_MACHINE", m_machine.path().c_str(), 1);
    }
    void TearDown() override
    {
        SetMessageBoxHook(nullptr);
        unsetenv("WIN95_MACHINE");
        ResetPatchTables();
        ClearRestartRequest();
    }

    // Each box as "Caption: text", with the dialog's state when it was shown.
    void RecordBoxes()
    {
        SetMessageBoxHook([this](const char* text, const char* caption, unsigned) {
            m_boxes.push_back(std::string(caption) + ": " + text +
                              (IsWindowEnabled(Window()) ? " (dialog enabled)" : " (dialog disabled)"));
            return IDOK;
        });
    }

    ScratchDir m_machine;
    std::vector<std::string> m_boxes;
};

TEST_F(PatchDlgRunTest, YesRunsThePatchWithTheDialogDisabled)
{
    RecordBoxes();
    HostPressButton(Window(), IDOK);
    EXPECT_EQ(m_boxes, std::vector<std::string>{
                           "Restart: Brennick needs to restart your computer to complete setup. (dialog disabled)"});
    EXPECT_TRUE(RestartRequested());
    EXPECT_TRUE(IsWindowEnabled(Window()));
    EXPECT_FALSE(Window()->ended);
}

TEST_F(PatchDlgRunTest, AfterAFailedPlatformCheckTheDialogStaysOpenAndEnabled)
{
    std::string registry = m_machine / "registry.reg";
    WriteBytes(registry, ReadBytes(registry) +
                             Crlf("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n\n"));
    RecordBoxes();
    HostPressButton(Window(), IDOK);
    HostPressButton(Window(), IDOK);
    EXPECT_EQ(m_boxes, std::vector<std::string>(2, "Error Message: Your System is not Windows 95 ! (dialog disabled)"));
    EXPECT_FALSE(RestartRequested());
    EXPECT_TRUE(IsWindowEnabled(Window()));
    EXPECT_FALSE(Window()->ended);

    HostPressButton(Window(), IDCANCEL);
    EXPECT_TRUE(Window()->ended);
    EXPECT_EQ(Window()->result, IDCANCEL);
}

}  // namespace

// The simulated machine: the Win32 calls give what the run relies on, and a
// machine that is not one is refused before anything changes.
#include "platform/files.h"
#include "platform/host/host.h"
#include "platform/host/win32api.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

class HostMachine : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(m_dir / "registry.reg",
                   Crlf("REGEDIT4\n\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
                        "\"DevicePath\"=\"C:\\\\WINDOWS\\\\INF\"\n\n"
                        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_10EC&DEV_8029\\BUS_00]\n\n"
                        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000]\n\n"
                        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_10EC&DEV_8029\\BUS_01]\n\n"));
        mkdir((m_dir / "C").c_str(), 0755);
        mkdir((m_dir / "C/Windows").c_str(), 0755);
        mkdir((m_dir / "C/Windows/Inf").c_str(), 0755);
        WriteBytes(m_dir / "C/Windows/Inf/MSHDC.INF", "x");
        setenv("WIN95_MACHINE", m_dir.path().c_str(), 1);
    }
    void TearDown() override { unsetenv("WIN95_MACHINE"); }

    ScratchDir m_dir;
};

TEST_F(HostMachine, MapsWindowsPathsIgnoringCase)
{
    EXPECT_EQ(HostPath("C:\\WINDOWS\\INF\\mshdc.inf"), m_dir / "C/Windows/Inf/MSHDC.INF");
    EXPECT_EQ(HostPath("c:\\windows\\inf\\usb.inf"), m_dir / "C/Windows/Inf/usb.inf");
    EXPECT_EQ(HostPath("C:\\WINDOWS\\..\\..\\INF"), m_dir / "C/INF");
    EXPECT_EQ(HostPath("/tmp/plain"), "/tmp/plain");
    EXPECT_EQ(_chdrive(1), -1);
    mkdir((m_dir / "A").c_str(), 0755);
    EXPECT_EQ(_chdrive(1), 0);
    EXPECT_EQ(_chdrive(3), 0);
    EXPECT_EQ(_chdrive(4), -1);
}

TEST_F(HostMachine, RegistryCalls)
{
    HKEY key;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "software\\microsoft\\windows\\currentversion", &key), ERROR_SUCCESS);
    char value[32];
    DWORD size = 5;
    EXPECT_EQ(RegQueryValueExA(key, "DevicePath", NULL, NULL, reinterpret_cast<LPBYTE>(value), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 15u);
    size = sizeof value;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "devicepath", NULL, &type, reinterpret_cast<LPBYTE>(value), &size), ERROR_SUCCESS);
    EXPECT_STREQ(value, "C:\\WINDOWS\\INF");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(RegQueryValueExA(key, "SubVersionNumber", NULL, NULL, reinterpret_cast<LPBYTE>(value), &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Enum\\ISAPNP", &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Enum\\PCI", &key), ERROR_SUCCESS);
    char name[260];
    std::vector<std::string> names;
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"VEN_10EC&DEV_8029", "VEN_8086&DEV_7000"}));
    EXPECT_EQ(RegEnumKeyA(key, 2, name, sizeof name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumKeyA(key, 0, name, 5), ERROR_MORE_DATA);
    EXPECT_EQ(RegDeleteKeyA(key, "VEN_10EC&DEV_8029"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(key, "VEN_10EC&DEV_8029"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_EQ(ReadBytes(m_dir / "registry.reg"),
              Crlf("REGEDIT4\n\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
                   "\"DevicePath\"=\"C:\\\\WINDOWS\\\\INF\"\n\n"
                   "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000]\n\n"));

    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
    EXPECT_EQ(version.dwMajorVersion, 4u);
}

TEST_F(HostMachine, RefusesWhatIsNotAMachine)
{
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string message;
    } cases[] = {
        {"no WIN95_MACHINE", [] { unsetenv("WIN95_MACHINE"); }, "WIN95_MACHINE is not set.*registry.reg"},
        {"not a folder", [this] { setenv("WIN95_MACHINE", (m_dir / "registry.reg").c_str(), 1); }, "not a folder"},
        {"no registry.reg", [this] { unlink((m_dir / "registry.reg").c_str()); }, "no readable registry.reg"},
        {"a registry that does not parse",
         [this] { WriteBytes(m_dir / "registry.reg", "REGEDIT4\r\n\r\n\"Stray\"=\"value\"\r\n"); },
         "registry.reg:3: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.arrange();
        std::string before = ReadBytes(m_dir / "registry.reg");
        EXPECT_EXIT(RequireMachine(), ::testing::ExitedWithCode(2), c.message);
        EXPECT_EXIT({ HKEY key; RegOpenKeyA(HKEY_LOCAL_MACHINE, "Enum", &key); }, ::testing::ExitedWithCode(2),
                    c.message);
        EXPECT_EQ(ReadBytes(m_dir / "registry.reg"), before);
    }
}

}  // namespace

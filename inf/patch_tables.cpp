#include "inf/patch_tables.h"

// Each line is stored once and in normalised form: no blank ahead of its
// first double quote, since file lines are compared with these as they are.
namespace {

const char headerIntelHdc[] = "[INTEL_HDC]";
const char install7010[] = "%PCI\\VEN_8086&DEV_7010.DeviceDesc%=DUAL_GOOD_IDE,,PCI\\VEN_8086&DEV_7010";
const char install7111[] = "%PCI\\VEN_8086&DEV_7111.DeviceDesc%=DUAL_GOOD_IDE,,PCI\\VEN_8086&DEV_7111";
const char headerControlFlags[] = "[ControlFlags]";
const char copyFilesOnly7010[] = "CopyFilesOnly=PCI\\VEN_8086&DEV_7010";
const char copyFilesOnly7111[] = "CopyFilesOnly=PCI\\VEN_8086&DEV_7111";
const char headerStrings[] = "[Strings]";
const char desc7010[] = "PCI\\VEN_8086&DEV_7010.DeviceDesc=\"Intel 82371SB PCI Bus Master IDE Controller\"";
const char desc7111[] = "PCI\\VEN_8086&DEV_7111.DeviceDesc=\"Intel 82371AB/EB PCI Bus Master IDE Controller\"";
const char headerMsSys[] = "[MS_SYS]";
const char install7000[] = "%PCI\\VEN_8086&DEV_7000.DeviceDesc%=ISA_DRV,PCI\\VEN_8086&DEV_7000";
const char install7110[] = "%PCI\\VEN_8086&DEV_7110.DeviceDesc%=ISA_DRV,PCI\\VEN_8086&DEV_7110";
const char install7113[] = "%PCI\\VEN_8086&DEV_7113.DeviceDesc%=NO_DRV,PCI\\VEN_8086&DEV_7113";
const char install7100[] = "%PCI\\VEN_8086&DEV_7100.DeviceDesc%=NO_DRV,PCI\\VEN_8086&DEV_7100";
const char install7180[] = "%PCI\\VEN_8086&DEV_7180.DeviceDesc%=NO_DRV,PCI\\VEN_8086&DEV_7180";
const char install7190[] = "%PCI\\VEN_8086&DEV_7190.DeviceDesc%=NO_DRV,PCI\\VEN_8086&DEV_7190";
const char install7192[] = "%PCI\\VEN_8086&DEV_7192.DeviceDesc%=NO_DRV,PCI\\VEN_8086&DEV_7192";
const char headerPciDrvAddReg[] = "[PCI_DRV_AddReg]";
const char busMaster7010[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI,70108086,1,04,00,00,00";
const char busMaster7111[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI,71118086,1,04,00,00,00";
const char exclude7000[] = "ExcludeFromSelect=PCI\\VEN_8086&DEV_7000";
const char exclude7110[] = "ExcludeFromSelect=PCI\\VEN_8086&DEV_7110";
const char exclude7113[] = "ExcludeFromSelect=PCI\\VEN_8086&DEV_7113";
const char exclude7100[] = "ExcludeFromSelect=PCI\\VEN_8086&DEV_7100";
const char exclude7180[] = "ExcludeFromSelect=PCI\\VEN_8086&DEV_7180";
const char exclude7190[] = "ExcludeFromSelect=PCI\\VEN_8086&DEV_7190";
const char exclude7192[] = "ExcludeFromSelect=PCI\\VEN_8086&DEV_7192";
const char desc7000[] = "PCI\\VEN_8086&DEV_7000.DeviceDesc=\"Intel 82371SB PCI to ISA bridge\"";
const char desc7110[] = "PCI\\VEN_8086&DEV_7110.DeviceDesc=\"Intel 82371AB/EB PCI to ISA bridge\"";
const char desc7113[] = "PCI\\VEN_8086&DEV_7113.DeviceDesc=\"Intel 82371AB/EB Power Management Controller\"";
const char desc7100[] = "PCI\\VEN_8086&DEV_7100.DeviceDesc=\"Intel 82439TX Pentium(r) Processor to PCI bridge\"";
const char desc7180[] = "PCI\\VEN_8086&DEV_7180.DeviceDesc=\"Intel 82443LX Pentium(r) II Processor to PCI bridge\"";
const char desc7181[] = "PCI\\VEN_8086&DEV_7181.DeviceDesc=\"Intel 82443LX Pentium(r) II Processor to AGP controller\"";
const char desc7190[] = "PCI\\VEN_8086&DEV_7190.DeviceDesc=\"Intel 82443BX Pentium(r) II Processor to PCI bridge (with GART support)\"";
const char desc7191[] = "PCI\\VEN_8086&DEV_7191.DeviceDesc=\"Intel 82443BX Pentium(r) II Processor to AGP controller\"";
const char desc7192[] = "PCI\\VEN_8086&DEV_7192.DeviceDesc=\"Intel 82443BX Pentium(r) II Processor to PCI bridge (without GART support)\"";
const char install7181[] = "%PCI\\VEN_8086&DEV_7181.DeviceDesc%=PCI_BRIDGE_DRV,PCI\\VEN_8086&DEV_7181";
const char install7191[] = "%PCI\\VEN_8086&DEV_7191.DeviceDesc%=PCI_BRIDGE_DRV,PCI\\VEN_8086&DEV_7191";
const char irqMiniport7000Name[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IRQMiniports\\70008086,Name,,\"Intel 82371SB\"";
const char irqMiniport7000Path[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IRQMiniports\\70008086,Path,,\"PCIMP.PCI\"";
const char irqMiniport7000Instance[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IRQMiniports\\70008086,Instance,1,01,00,00,00";
const char irqMiniport7110Name[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IRQMiniports\\71108086,Name,,\"Intel 82371AB/EB\"";
const char irqMiniport7110Path[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IRQMiniports\\71108086,Path,,\"PCIMP.PCI\"";
const char irqMiniport7110Instance[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IRQMiniports\\71108086,Instance,1,01,00,00,00";
const char ideMiniport7010Name[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IDEMiniports\\70108086,Name,,\"Intel 82371SB\"";
const char ideMiniport7010Path[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IDEMiniports\\70108086,Path,,\"PCIMP.PCI\"";
const char ideMiniport7010Instance[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IDEMiniports\\70108086,Instance,1,00,00,00,00";
const char ideMiniport7111Name[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IDEMiniports\\71118086,Name,,\"Intel 82371AB/EB\"";
const char ideMiniport7111Path[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IDEMiniports\\71118086,Path,,\"PCIMP.PCI\"";
const char ideMiniport7111Instance[] = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI\\IDEMiniports\\71118086,Instance,1,00,00,00,00";
const char exclude7181[] = "ExcludeFromSelect=PCI\\VEN_8086&DEV_7181";
const char exclude7191[] = "ExcludeFromSelect=PCI\\VEN_8086&DEV_7191";
const char headerIntelSection[] = "[Intel.Section]";
const char install7020[] = "%PCI\\VEN_8086&DEV_7020.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7020";
const char install7112[] = "%PCI\\VEN_8086&DEV_7112.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7112";
const char desc7020[] = "PCI\\VEN_8086&DEV_7020.DeviceDesc=\"Intel 82371SB PCI to USB Universal Host Controller\"";
const char desc7112[] = "PCI\\VEN_8086&DEV_7112.DeviceDesc=\"Intel 82371AB/EB PCI to USB Universal Host Controller\"";

}  // namespace

PatchFile g_patchFiles[kPatchFileCount] = {
    {"MSHDC.INF", 3, {
        {headerIntelHdc, 2, {
            {1, 0, install7010},
            {1, 0, install7111},
        }},
        {headerControlFlags, 2, {
            {1, 0, copyFilesOnly7010},
            {1, 0, copyFilesOnly7111},
        }},
        {headerStrings, 2, {
            {1, 0, desc7010},
            {1, 0, desc7111},
        }},
    }},
    {"MACHINE.INF", 4, {
        {headerMsSys, 7, {
            {1, 0, install7000},
            {1, 0, install7110},
            {1, 0, install7113},
            {1, 0, install7100},
            {1, 0, install7180},
            {1, 0, install7190},
            {1, 0, install7192},
        }},
        {headerPciDrvAddReg, 2, {
            {1, 0, busMaster7010},
            {1, 0, busMaster7111},
        }},
        {headerControlFlags, 7, {
            {1, 0, exclude7000},
            {1, 0, exclude7110},
            {1, 0, exclude7113},
            {1, 0, exclude7100},
            {1, 0, exclude7180},
            {1, 0, exclude7190},
            {1, 0, exclude7192},
        }},
        {headerStrings, 9, {
            {1, 0, desc7000},
            {1, 0, desc7110},
            {1, 0, desc7113},
            {1, 0, desc7100},
            {1, 0, desc7180},
            {1, 0, desc7181},
            {1, 0, desc7190},
            {1, 0, desc7191},
            {1, 0, desc7192},
        }},
    }},
    {"MACHINE.INF", 4, {
        {headerMsSys, 9, {
            {1, 0, install7000},
            {1, 0, install7110},
            {1, 0, install7113},
            {1, 0, install7100},
            {1, 0, install7180},
            {1, 0, install7181},
            {1, 0, install7190},
            {1, 0, install7191},
            {1, 0, install7192},
        }},
        {headerPciDrvAddReg, 14, {
            {1, 0, busMaster7010},
            {1, 0, busMaster7111},
            {1, 0, irqMiniport7000Name},
            {1, 0, irqMiniport7000Path},
            {1, 0, irqMiniport7000Instance},
            {1, 0, irqMiniport7110Name},
            {1, 0, irqMiniport7110Path},
            {1, 0, irqMiniport7110Instance},
            {1, 0, ideMiniport7010Name},
            {1, 0, ideMiniport7010Path},
            {1, 0, ideMiniport7010Instance},
            {1, 0, ideMiniport7111Name},
            {1, 0, ideMiniport7111Path},
            {1, 0, ideMiniport7111Instance},
        }},
        {headerControlFlags, 9, {
            {1, 0, exclude7000},
            {1, 0, exclude7110},
            {1, 0, exclude7113},
            {1, 0, exclude7100},
            {1, 0, exclude7180},
            {1, 0, exclude7181},
            {1, 0, exclude7190},
            {1, 0, exclude7191},
            {1, 0, exclude7192},
        }},
        {headerStrings, 9, {
            {1, 0, desc7000},
            {1, 0, desc7110},
            {1, 0, desc7113},
            {1, 0, desc7100},
            {1, 0, desc7180},
            {1, 0, desc7181},
            {1, 0, desc7190},
            {1, 0, desc7191},
            {1, 0, desc7192},
        }},
    }},
    {"USB.INF", 2, {
        {headerIntelSection, 2, {
            {1, 0, install7020},
            {1, 0, install7112},
        }},
        {headerStrings, 2, {
            {1, 0, desc7020},
            {1, 0, desc7112},
        }},
    }},
};

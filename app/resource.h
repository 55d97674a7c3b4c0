// Resource ids shared by brennick.rc and the program's code.
// rc2table reads this file too: keep to plain "#define NAME number" lines.

#define IDD_PATCH_DIALOG 102
#define IDR_MAINFRAME 128

#define IDC_STATIC (-1)

// Reader for the small subset of resource scripts that Brennick uses: the
// "#define NAME number" lines of resource.h and the DIALOGEX templates of a
// .rc file, so that the host build can draw the same dialog that the
// resource compiler puts into the Windows executable.
#pragma once

#include <map>
#include <string>
#include <vector>

// Symbol values by name: the #defines of resource.h and of the script.
using RcSymbols = std::map<std::string, long>;

struct RcError {
    int line = 0;  // 1-based; 0 when no line applies
    std::string message;
};

struct RcControl {
    std::string statement;  // "DEFPUSHBUTTON", "LTEXT", ...
    std::string className;  // "BUTTON" or "STATIC"
    std::string text;
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    unsigned long style = 0;  // with the defaults the resource compiler adds
    unsigned long exStyle = 0;
    int line = 0;
};

struct RcDialog {
    int id = 0;
    std::string caption;
    int x = 0, y = 0, cx = 0, cy = 0;
    unsigned long style = 0;
    unsigned long exStyle = 0;
    std::string fontName;  // empty without a FONT statement
    int pointSize = 0;
    int fontWeight = 0;
    bool fontItalic = false;
    int fontCharset = 0;
    std::vector<RcControl> controls;  // in tab order
    int line = 0;
};

// "line 12: message", or just the message when no line applies.
std::string FormatRcError(const RcError& error);

// Value of one of the Win32 constants a dialog script may use (WS_POPUP,
// DS_CENTER, IDOK, ...). False for a name the reader does not know.
bool LookUpWin32Constant(const std::string& name, long& value);

// Adds the "#define NAME number" lines of a resource header to symbols.
// Accepts comments, blank lines, "#pragma once" and value-less defines
// (include guards with #ifndef/#endif are not accepted).
bool ParseResourceHeader(const std::string& text, RcSymbols& symbols, RcError& error);

// Reads every DIALOGEX of a resource script. Symbols come from the caller
// (the parsed resource.h) and from #defines in the script; #include lines
// are skipped, as is every other resource statement (ICON, VERSIONINFO, ...).
bool ParseDialogs(const std::string& rcText, const RcSymbols& symbols, std::vector<RcDialog>& dialogs,
                  RcError& error);

// Reads the DIALOGEX with the given id; an error when the script has none.
bool ParseDialog(const std::string& rcText, const RcSymbols& symbols, int dialogId, RcDialog& dialog,
                 RcError& error);

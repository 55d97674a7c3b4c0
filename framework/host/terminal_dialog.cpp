// The dialog drawn full-screen in the terminal with ncurses, from its
// template: a dialog unit is a quarter of a column across and an eighth of
// a row down, so 319 by 183 units fill 80 by 24 cells with the title bar.
#include "framework/dialog_template.h"
#include "framework/host/dialog_text.h"
#include "framework/host/modal.h"
#include "platform/host/host.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <curses.h>
#include <string>
#include <unistd.h>

namespace {

const int kUnitsPerColumn = 4;
const int kUnitsPerRow = 8;
const int kEscape = 27;
const int kCtrlC = 3;

enum ColorPair : short {
    kDesktopPair = 1,
    kClientPair,
    kTitlePair,
    kButtonPair,
    kFocusPair,
};

SCREEN* g_screen = nullptr;
bool g_atexitRegistered = false;

// Undoes raw mode and the alternate screen; safe to call more than once,
// which it is: at the end of the dialog, at exit and on a fatal signal.
void RestoreTerminal()
{
    if (!g_screen)
        return;
    endwin();
    delscreen(g_screen);
    g_screen = nullptr;
}

extern "C" void RestoreOnSignal(int signal)
{
    RestoreTerminal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

struct Cells {
    int row, col, width;
};

struct Layout {
    int top, left;      // the dialog's title bar
    int width, height;  // title bar included
};

int Columns(int units)
{
    return (units + kUnitsPerColumn - 1) / kUnitsPerColumn;
}

int Rows(int units)
{
    return (units + kUnitsPerRow - 1) / kUnitsPerRow;
}

// The dialog is centred on the screen, and kept on it when the screen is
// smaller than the dialog.
Layout LayoutOf(const DialogTemplate& dialog)
{
    Layout layout;
    layout.width = Columns(dialog.cx);
    layout.height = Rows(dialog.cy) + 1;
    layout.left = std::max(0, (COLS - layout.width) / 2);
    layout.top = std::max(0, (LINES - layout.height) / 2);
    return layout;
}

Cells CellsOf(const Layout& layout, const DialogControl& control)
{
    return Cells{layout.top + 1 + control.y / kUnitsPerRow, layout.left + control.x / kUnitsPerColumn,
                 std::max(1, control.cx / kUnitsPerColumn)};
}

bool IsPushButton(const DialogControl& control)
{
    return std::strcmp(control.className, "BUTTON") == 0 && (control.style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
}

bool IsTabStop(const DialogControl& control)
{
    return IsPushButton(control) && (control.style & WS_TABSTOP);
}

attr_t Pair(ColorPair pair)
{
    return has_colors() ? COLOR_PAIR(pair) : A_NORMAL;
}

void FillRow(int row, int col, int width, attr_t attributes)
{
    attrset(attributes);
    mvhline(row, col, ' ', width);
}

// Text clipped to width cells, the accelerator underlined.
void DrawText(int row, int col, int width, const char* text, attr_t attributes, bool prefixes)
{
    std::string shown = prefixes ? PlainText(text) : std::string(text);
    int accelerator = prefixes ? AcceleratorIndex(text) : -1;
    int count = std::min<int>(width, static_cast<int>(shown.size()));
    for (int i = 0; i < count; ++i) {
        attrset(attributes | (i == accelerator ? A_UNDERLINE : 0));
        mvaddch(row, col + i, static_cast<unsigned char>(shown[i]));
    }
}

void DrawTitleBar(int row, int col, int width, const char* caption, bool active)
{
    attr_t title = has_colors() ? Pair(kTitlePair) | A_BOLD : A_REVERSE;
    if (!active)
        title = has_colors() ? Pair(kButtonPair) | A_REVERSE : A_REVERSE | A_DIM;
    FillRow(row, col, width, title);
    DrawText(row, col + 1, width - 5, caption, title, false);
    DrawText(row, col + width - 3, 3, "[x]", title, false);
}

// A push button: the one Enter presses in <angle brackets>, the focused one
// in reverse video.
void DrawButton(const Cells& cells, const char* text, bool isDefault, bool focused, bool enabled)
{
    attr_t attributes = Pair(kButtonPair);
    if (focused && enabled)
        attributes = has_colors() ? Pair(kFocusPair) | A_BOLD : A_REVERSE;
    if (!enabled)
        attributes |= A_DIM;
    int width = std::max(4, cells.width);
    FillRow(cells.row, cells.col, width, attributes);
    mvaddch(cells.row, cells.col, isDefault ? '<' : '[');
    mvaddch(cells.row, cells.col + width - 1, isDefault ? '>' : ']');
    std::string label = PlainText(text);
    int inner = width - 2;
    int start = cells.col + 1 + std::max(0, (inner - static_cast<int>(label.size())) / 2);
    DrawText(cells.row, start, inner, text, attributes, true);
}

struct DialogState {
    HWND window;
    const DialogTemplate* dialog;
    int focus;  // index of the focused control
};

int TemplateDefault(const DialogTemplate& dialog)
{
    for (int i = 0; i < dialog.controlCount; ++i) {
        if (IsPushButton(dialog.controls[i]) && (dialog.controls[i].style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return i;
    }
    return -1;
}

int FirstTabStop(const DialogTemplate& dialog)
{
    for (int i = 0; i < dialog.controlCount; ++i) {
        if (IsTabStop(dialog.controls[i]))
            return i;
    }
    return -1;
}

// As in Windows, the focused push button is the default one; without a
// focused button the template's default is.
int DefaultButton(const DialogState& state)
{
    if (state.focus >= 0 && IsPushButton(state.dialog->controls[state.focus]))
        return state.focus;
    return TemplateDefault(*state.dialog);
}

void DrawDialog(const DialogState& state, bool active)
{
    const DialogTemplate& dialog = *state.dialog;
    Layout layout = LayoutOf(dialog);
    bool enabled = state.window->enabled;

    attrset(Pair(kDesktopPair));
    for (int row = 0; row < LINES; ++row)
        mvhline(row, 0, ' ', COLS);

    DrawTitleBar(layout.top, layout.left, layout.width, dialog.caption, active);
    for (int row = 1; row < layout.height; ++row)
        FillRow(layout.top + row, layout.left, layout.width, Pair(kClientPair));

    int defaultButton = DefaultButton(state);
    for (int i = 0; i < dialog.controlCount; ++i) {
        const DialogControl& control = dialog.controls[i];
        Cells cells = CellsOf(layout, control);
        if (IsPushButton(control))
            DrawButton(cells, control.text, i == defaultButton, i == state.focus, enabled);
        else
            DrawText(cells.row, cells.col, cells.width, control.text,
                     Pair(kClientPair) | (enabled ? 0 : A_DIM), !(control.style & SS_NOPREFIX));
    }

    if (state.focus >= 0) {
        Cells cells = CellsOf(layout, dialog.controls[state.focus]);
        move(cells.row, cells.col + 1);
    }
}

bool IsDismissKey(int key)
{
    return key == '\n' || key == '\r' || key == KEY_ENTER || key == ' ' || key == kEscape || key == kCtrlC;
}

// A key that may be the first of an Alt sequence: Escape alone is Escape,
// Escape and a character is Alt with that character.
int ReadKey(bool& alt)
{
    alt = false;
    int key = getch();
    if (key != kEscape)
        return key;
    nodelay(stdscr, TRUE);
    int next = getch();
    nodelay(stdscr, FALSE);
    if (next == ERR)
        return kEscape;
    alt = true;
    return next;
}

DialogState* g_shown = nullptr;  // the dialog under the message boxes

// A message box over the dialog: caption as title, the text, one OK button.
int ShowTerminalBox(const char* text, const char* caption, unsigned type)
{
    std::string line = text;
    if ((type & 0xF0u) == MB_ICONWARNING)
        line = "(!)  " + line;
    else if ((type & 0xF0u) == MB_ICONINFORMATION)
        line = "(i)  " + line;
    const char* okText = "OK";
    int width = std::min(COLS, std::max<int>({static_cast<int>(line.size()) + 6,
                                              static_cast<int>(std::strlen(caption)) + 8, 24}));
    int height = 6;
    int top = std::max(0, (LINES - height) / 2);
    int left = std::max(0, (COLS - width) / 2);
    Cells ok{top + height - 2, left + (width - 10) / 2, 10};

    for (;;) {
        if (g_shown)
            DrawDialog(*g_shown, false);
        DrawTitleBar(top, left, width, caption, true);
        for (int row = 1; row < height; ++row)
            FillRow(top + row, left, width, Pair(kClientPair));
        // Plain characters, so that a capture of the screen reads the same
        // whatever the terminal's character set.
        attrset(Pair(kClientPair));
        mvaddch(top + height - 1, left, '+');
        mvhline(top + height - 1, left + 1, '-', width - 2);
        mvaddch(top + height - 1, left + width - 1, '+');
        mvvline(top + 1, left, '|', height - 2);
        mvvline(top + 1, left + width - 1, '|', height - 2);
        DrawText(top + 2, left + 3, width - 6, line.c_str(), Pair(kClientPair), false);
        DrawButton(ok, okText, true, true, true);
        move(ok.row, ok.col + 1);
        refresh();

        bool alt;
        int key = ReadKey(alt);
        if (IsDismissKey(key) && !alt)
            return IDOK;
        if (key == KEY_MOUSE) {
            MEVENT event;
            if (getmouse(&event) != OK || !(event.bstate & (BUTTON1_RELEASED | BUTTON1_CLICKED)))
                continue;
            bool onOk = event.y == ok.row && event.x >= ok.col && event.x < ok.col + ok.width;
            bool onClose = event.y == top && event.x >= left + width - 3 && event.x < left + width;
            if (onOk || onClose)
                return IDOK;
        }
    }
}

void MoveFocus(DialogState& state, int step)
{
    const DialogTemplate& dialog = *state.dialog;
    int n = dialog.controlCount;
    for (int k = 1; k <= n; ++k) {
        int i = ((state.focus + step * k) % n + n) % n;
        if (IsTabStop(dialog.controls[i])) {
            state.focus = i;
            return;
        }
    }
}

int ButtonWithAccelerator(const DialogTemplate& dialog, int key)
{
    if (key <= 0 || key > 255)
        return -1;
    char wanted = static_cast<char>(std::toupper(key));
    for (int i = 0; i < dialog.controlCount; ++i) {
        if (IsPushButton(dialog.controls[i]) && AcceleratorKey(dialog.controls[i].text) == wanted)
            return i;
    }
    return -1;
}

int ButtonAt(const DialogState& state, int row, int col)
{
    Layout layout = LayoutOf(*state.dialog);
    for (int i = 0; i < state.dialog->controlCount; ++i) {
        const DialogControl& control = state.dialog->controls[i];
        Cells cells = CellsOf(layout, control);
        if (IsPushButton(control) && row == cells.row && col >= cells.col && col < cells.col + cells.width)
            return i;
    }
    return -1;
}

bool OnCloseBox(const DialogState& state, int row, int col)
{
    Layout layout = LayoutOf(*state.dialog);
    return row == layout.top && col >= layout.left + layout.width - 3 && col < layout.left + layout.width;
}

void Press(DialogState& state, int index)
{
    state.focus = index;
    DrawDialog(state, true);
    refresh();
    HostPressButton(state.window, state.dialog->controls[index].id);
}

bool StartTerminal()
{
    g_screen = newterm(nullptr, stdout, stdin);
    if (!g_screen)
        return false;
    if (!g_atexitRegistered) {
        // The engine ends the process from inside a message box when a file
        // cannot be opened; the terminal must come back all the same.
        std::atexit(RestoreTerminal);
        std::signal(SIGTERM, RestoreOnSignal);
        std::signal(SIGHUP, RestoreOnSignal);
        g_atexitRegistered = true;
    }
    raw();
    noecho();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    mousemask(BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON1_CLICKED, nullptr);
    mouseinterval(0);
    if (has_colors()) {
        start_color();
        init_pair(kDesktopPair, COLOR_BLACK, COLOR_CYAN);
        init_pair(kClientPair, COLOR_BLACK, COLOR_WHITE);
        init_pair(kTitlePair, COLOR_WHITE, COLOR_BLUE);
        init_pair(kButtonPair, COLOR_BLACK, COLOR_WHITE);
        init_pair(kFocusPair, COLOR_WHITE, COLOR_BLACK);
    }
    return true;
}

}  // namespace

bool TerminalAvailable()
{
    const char* term = std::getenv("TERM");
    return isatty(0) && isatty(1) && term && *term && std::strcmp(term, "dumb") != 0;
}

bool RunTerminalDialog(HWND window)
{
    if (!StartTerminal())
        return false;

    DialogState state{window, window->dialogTemplate, -1};
    // OnInitDialog returned true: the default button has the focus.
    state.focus = TemplateDefault(*state.dialog);
    if (state.focus < 0)
        state.focus = FirstTabStop(*state.dialog);
    g_shown = &state;
    SetMessageBoxHook(ShowTerminalBox);

    int pressed = -1;  // the button under a held mouse button
    while (!ModalLoopDone(window)) {
        DrawDialog(state, true);
        refresh();
        bool alt;
        int key = ReadKey(alt);
        if (key == kEscape && !alt) {
            HostPressButton(window, IDCANCEL);
        } else if (key == '\n' || key == '\r' || key == KEY_ENTER || key == ' ') {
            int target = key == ' ' ? state.focus : DefaultButton(state);
            if (target >= 0)
                Press(state, target);
        } else if (key == '\t' || key == KEY_RIGHT || key == KEY_DOWN) {
            MoveFocus(state, 1);
        } else if (key == KEY_BTAB || key == KEY_LEFT || key == KEY_UP) {
            MoveFocus(state, -1);
        } else if (key == KEY_F(1)) {
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(ID_HELP, 1), 0);
        } else if (key == kCtrlC || (alt && key == KEY_F(4)) || key == KEY_F(52)) {
            // Ctrl+C and Alt+F4 close the dialog as its close box does.
            SendMessageA(window, WM_CLOSE, 0, 0);
        } else if (key == KEY_MOUSE) {
            MEVENT event;
            if (getmouse(&event) != OK)
                continue;
            int at = ButtonAt(state, event.y, event.x);
            if (event.bstate & BUTTON1_PRESSED) {
                pressed = at;
                if (at >= 0)
                    state.focus = at;
            } else if (event.bstate & (BUTTON1_RELEASED | BUTTON1_CLICKED)) {
                if (at >= 0 && (pressed == at || (event.bstate & BUTTON1_CLICKED)))
                    Press(state, at);
                else if (OnCloseBox(state, event.y, event.x))
                    SendMessageA(window, WM_CLOSE, 0, 0);
                pressed = -1;
            }
        } else {
            int index = ButtonWithAccelerator(*state.dialog, key);
            if (index >= 0)
                Press(state, index);
        }
    }

    SetMessageBoxHook(nullptr);
    g_shown = nullptr;
    RestoreTerminal();
    return true;
}

// CDialog::DoModal on the host: the dialog runs in the terminal when there
// is one, otherwise as lines on standard input and output.
#include "framework/dialog_template.h"
#include "framework/host/dialog_text.h"
#include "framework/host/modal.h"
#include "platform/host/host.h"

#include <cctype>
#include <string>
#include <vector>

namespace {

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trimmed(const std::string& text)
{
    std::string::size_type first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    std::string::size_type last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool IsButton(const DialogControl& control)
{
    return std::string(control.className) == "BUTTON" && (control.style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
}

// The button an answer names: its accelerator letter or its whole text.
const DialogControl* ButtonOfAnswer(const DialogTemplate& dialog, const std::string& answer)
{
    std::string wanted = Lowered(Trimmed(answer));
    if (wanted.empty())
        return nullptr;
    for (int i = 0; i < dialog.controlCount; ++i) {
        const DialogControl& control = dialog.controls[i];
        if (!IsButton(control))
            continue;
        char key = AcceleratorKey(control.text);
        if (wanted == Lowered(PlainText(control.text)) ||
            (key && wanted.size() == 1 && wanted[0] == std::tolower(static_cast<unsigned char>(key))))
            return &control;
    }
    return nullptr;
}

bool ReadLine(std::FILE* in, std::string& line)
{
    line.clear();
    int c;
    while ((c = std::fgetc(in)) != EOF && c != '\n')
        line += static_cast<char>(c);
    return c != EOF || !line.empty();
}

}  // namespace

bool ModalLoopDone(HWND window)
{
    return window->ended || RestartRequested();
}

void RunLineDialog(HWND window, std::FILE* in, std::FILE* out)
{
    const DialogTemplate& dialog = *window->dialogTemplate;
    std::string prompt;
    std::fprintf(out, "%s\n", dialog.caption);
    for (int i = 0; i < dialog.controlCount; ++i) {
        const DialogControl& control = dialog.controls[i];
        if (IsButton(control))
            prompt += (prompt.empty() ? "" : " / ") + LineModeLabel(control.text);
        else
            std::fprintf(out, "%s\n", PlainText(control.text).c_str());
    }
    prompt += " ?";

    while (!ModalLoopDone(window)) {
        std::fprintf(out, "%s\n", prompt.c_str());
        std::fflush(out);
        std::string line;
        if (!ReadLine(in, line)) {
            HostPressButton(window, IDCANCEL);
            break;
        }
        if (const DialogControl* button = ButtonOfAnswer(dialog, line))
            HostPressButton(window, button->id);
    }
}

INT_PTR CDialog::DoModal()
{
    const DialogTemplate* dialog = FindDialogTemplate(static_cast<int>(m_nIDHelp));
    if (!dialog)
        return -1;
    HostWindow window(this, dialog);
    HWND handle = window.handle();

    SendMessage(WM_INITDIALOG, 0, 0);
    if (!(TerminalAvailable() && RunTerminalDialog(handle)))
        RunLineDialog(handle, stdin, stdout);

    if (RestartRequested()) {
        std::printf("System restart requested.\n");
        std::fflush(stdout);
        return IDOK;
    }
    return handle->result;
}

// Dialog templates for the host build, generated at build time from the
// resource script (tools/rc2table), so that the host dialog shows the same
// texts, ids and layout as the Windows executable.
#pragma once

struct DialogControl {
    int id;
    const char* className;  // "BUTTON" or "STATIC"
    const char* text;
    int x, y, cx, cy;  // dialog units
    unsigned long style;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int x, y, cx, cy;  // dialog units
    unsigned long style;
    unsigned long exStyle;
    const char* fontName;
    int pointSize;
    int controlCount;
    const DialogControl* controls;  // in tab order
};

extern const DialogTemplate g_dialogTemplates[];
extern const int g_dialogTemplateCount;

// The template with the given resource id, or nullptr.
const DialogTemplate* FindDialogTemplate(int id);

// The lines the run makes sure of, per INF file: which section, which lines,
// in the order in which they are written when missing.
#pragma once

const int kMaxPatchSections = 10;
const int kMaxPatchItems = 14;
const int kPatchFileCount = 4;

struct PatchItem {
    int pending;       // nonzero while the line has not been found in the file
    int insertAt;      // the line ahead of which the item is written
    const char* text;  // the line, without line end, in normalised form
};

struct PatchSection {
    const char* header;  // the section header line, brackets included
    int itemCount;
    PatchItem items[kMaxPatchItems];
};

struct PatchFile {
    const char* name;  // the INF file the table is for, in capitals
    int sectionCount;
    PatchSection sections[kMaxPatchSections];  // in the order they stand in the file
};

// 0: MSHDC.INF; 1: MACHINE.INF when the sub-version letter is neither B nor
// C; 2: MACHINE.INF when it is B or C; 3: USB.INF.
extern PatchFile g_patchFiles[kPatchFileCount];

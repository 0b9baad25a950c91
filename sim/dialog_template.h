// Reader of an extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX
// items), the form a DIALOGEX statement compiles to.
#pragma once

#include <string>
#include <vector>

#include "sim/win32_api.h"

namespace sim::detail {

struct DialogItemTemplate {
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::u16string className;  // predefined classes by their names, e.g. u"Button"
    std::u16string text;       // empty for an ordinal title
};

struct DialogTemplate {
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    std::u16string menu;
    std::u16string className;
    std::u16string caption;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::u16string typeface;
    std::vector<DialogItemTemplate> items;
};

// False with a reason when the data is not a well-formed extended template.
bool ParseDialogTemplate(const std::vector<BYTE>& data, DialogTemplate& dialog, std::string& error);

}  // namespace sim::detail

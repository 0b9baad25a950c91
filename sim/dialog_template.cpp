#include "sim/dialog_template.h"

#include "sim/byte_reader.h"

namespace sim::detail {

namespace {

constexpr DWORD kDsSetFont = 0x40;

// A menu, class or title field: nothing, an ordinal, or a string.
std::u16string ReadSzOrOrdinal(ByteReader& reader, WORD& ordinal) {
    ordinal = 0;
    const WORD first = reader.Word();
    if (first == 0x0000) {
        return {};
    }
    if (first == 0xFFFF) {
        ordinal = reader.Word();
        return {};
    }
    return std::u16string(1, static_cast<char16_t>(first)) + reader.TerminatedString();
}

std::u16string PredefinedClassName(WORD atom) {
    switch (atom) {
        case 0x0080:
            return u"Button";
        case 0x0081:
            return u"Edit";
        case 0x0082:
            return u"Static";
        case 0x0083:
            return u"ListBox";
        case 0x0084:
            return u"ScrollBar";
        case 0x0085:
            return u"ComboBox";
    }
    const std::string number = "#" + std::to_string(atom);
    return std::u16string(number.begin(), number.end());
}

void ReadRect(ByteReader& reader, short& x, short& y, short& cx, short& cy) {
    x = static_cast<short>(reader.Word());
    y = static_cast<short>(reader.Word());
    cx = static_cast<short>(reader.Word());
    cy = static_cast<short>(reader.Word());
}

DialogItemTemplate ReadItem(ByteReader& reader) {
    reader.AlignTo(4);
    DialogItemTemplate item;
    item.helpId = reader.Dword();
    item.exStyle = reader.Dword();
    item.style = reader.Dword();
    ReadRect(reader, item.x, item.y, item.cx, item.cy);
    item.id = static_cast<int>(reader.Dword());
    WORD atom = 0;
    item.className = ReadSzOrOrdinal(reader, atom);
    if (item.className.empty()) {
        item.className = PredefinedClassName(atom);
    }
    WORD titleOrdinal = 0;
    item.text = ReadSzOrOrdinal(reader, titleOrdinal);
    reader.Skip(reader.Word());  // creation data
    return item;
}

void ReadFont(ByteReader& reader, DialogTemplate& dialog) {
    dialog.pointSize = reader.Word();
    dialog.weight = reader.Word();
    dialog.italic = reader.Byte();
    dialog.charset = reader.Byte();
    dialog.typeface = reader.TerminatedString();
}

}  // namespace

bool ParseDialogTemplate(const std::vector<BYTE>& data, DialogTemplate& dialog, std::string& error) {
    ByteReader reader(data, 0);
    const WORD version = reader.Word();
    const WORD signature = reader.Word();
    if (version != 1 || signature != 0xFFFF) {
        error = "not an extended dialog template";
        return false;
    }
    dialog.helpId = reader.Dword();
    dialog.exStyle = reader.Dword();
    dialog.style = reader.Dword();
    const WORD itemCount = reader.Word();
    ReadRect(reader, dialog.x, dialog.y, dialog.cx, dialog.cy);
    WORD ordinal = 0;
    dialog.menu = ReadSzOrOrdinal(reader, ordinal);
    dialog.className = ReadSzOrOrdinal(reader, ordinal);
    dialog.caption = reader.TerminatedString();
    if ((dialog.style & kDsSetFont) != 0) {
        ReadFont(reader, dialog);
    }
    for (WORD i = 0; i < itemCount && !reader.Overran(); ++i) {
        dialog.items.push_back(ReadItem(reader));
    }
    if (reader.Overran()) {
        error = "dialog template truncated";
        return false;
    }
    return true;
}

}  // namespace sim::detail

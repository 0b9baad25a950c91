// Reader of a compiled resource file (.res): a sequence of resource headers,
// each followed by its data, every header and every data block starting on a
// four-byte boundary. The first, empty entry only marks the format.
#pragma once

#include <string>
#include <vector>

#include "sim/win32_api.h"

namespace sim::detail {

// A resource type or name: an ordinal, or a string when `text` is not empty.
struct ResourceName {
    WORD ordinal;
    std::u16string text;
};

struct ResourceEntry {
    ResourceName type;
    ResourceName name;
    WORD language;
    std::vector<BYTE> data;
};

// False with a reason when the bytes are not a well-formed resource file.
bool ParseResourceFile(const std::vector<BYTE>& bytes, std::vector<ResourceEntry>& entries,
                       std::string& error);

}  // namespace sim::detail

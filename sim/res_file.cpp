#include "sim/res_file.h"

#include "sim/byte_reader.h"

namespace sim::detail {

namespace {

ResourceName ReadName(ByteReader& reader) {
    const WORD first = reader.Word();
    if (first == 0xFFFF) {
        return ResourceName{reader.Word(), {}};
    }
    std::u16string text(1, static_cast<char16_t>(first));
    text += reader.TerminatedString();
    return ResourceName{0, text};
}

// One header and its data; false when the file ends inside it.
bool ReadEntry(const std::vector<BYTE>& bytes, std::size_t& offset, ResourceEntry& entry) {
    ByteReader reader(bytes, offset);
    const DWORD dataSize = reader.Dword();
    const DWORD headerSize = reader.Dword();
    entry.type = ReadName(reader);
    entry.name = ReadName(reader);
    reader.AlignTo(4);
    reader.Dword();  // DataVersion
    reader.Word();   // MemoryFlags
    entry.language = reader.Word();
    if (reader.Overran() || headerSize < reader.Offset() - offset + 8 || bytes.size() - offset < headerSize ||
        bytes.size() - offset - headerSize < dataSize) {
        return false;
    }
    const auto data = bytes.begin() + static_cast<std::ptrdiff_t>(offset + headerSize);
    entry.data.assign(data, data + dataSize);
    offset += headerSize + dataSize;
    offset += (4 - offset % 4) % 4;
    return true;
}

}  // namespace

bool ParseResourceFile(const std::vector<BYTE>& bytes, std::vector<ResourceEntry>& entries,
                       std::string& error) {
    entries.clear();
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        ResourceEntry entry;
        if (!ReadEntry(bytes, offset, entry)) {
            error = "resource file truncated at byte " + std::to_string(offset);
            return false;
        }
        const bool formatMarker = entry.data.empty() && entry.type.text.empty() && entry.type.ordinal == 0;
        if (!formatMarker) {
            entries.push_back(std::move(entry));
        }
    }
    if (entries.empty()) {
        error = "resource file holds no resources";
        return false;
    }
    return true;
}

}  // namespace sim::detail

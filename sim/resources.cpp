#include "sim/resources.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "sim/calls.h"
#include "sim/state.h"
#include "sim/text.h"

namespace sim::detail {

namespace {

constexpr DWORD kErrorResourceDataNotFound = 1812;
constexpr WORD kLanguageEnglishUs = 0x0409;
const auto kProgramInstance = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x00400000));

// The executable's resources; they belong to the file, not to the machine, so
// Reset leaves them alone.
std::vector<ResourceEntry>& ProgramResources() {
    static std::vector<ResourceEntry> resources;
    return resources;
}

bool SameName(const ResourceName& left, const ResourceName& right) {
    return left.text.empty() == right.text.empty() &&
           (left.text.empty() ? left.ordinal == right.ordinal : EqualsIgnoringCase(left.text, right.text));
}

bool IsRemoved(const ResourceEntry& entry) {
    const auto& removed = W().ui.removedResources;
    const WORD id = entry.name.ordinal;
    return removed.count({entry.type.ordinal, id, -1}) != 0 ||
           removed.count({entry.type.ordinal, id, static_cast<int>(entry.language)}) != 0;
}

const ResourceEntry* FindInLanguage(WORD type, const ResourceName& name, int language) {
    for (const ResourceEntry& entry : ProgramResources()) {
        const bool matches = entry.type.text.empty() && entry.type.ordinal == type &&
                             SameName(entry.name, name) && (language < 0 || entry.language == language) &&
                             !IsRemoved(entry);
        if (matches) {
            return &entry;
        }
    }
    return nullptr;
}

WORD PrimaryLanguage(WORD language) {
    return static_cast<WORD>(language & 0x3FF);
}

}  // namespace

bool IsProgramModule(HINSTANCE instance) {
    return instance == nullptr || instance == kProgramInstance;
}

const ResourceEntry* FindProgramResource(WORD type, const ResourceName& name) {
    const WORD ui = W().ui.uiLanguage;
    const int chain[] = {ui,     PrimaryLanguage(ui), PrimaryLanguage(ui) | 0x0400,
                         0x0000, kLanguageEnglishUs,  -1};
    for (int language : chain) {
        if (const ResourceEntry* found = FindInLanguage(type, name, language)) {
            return found;
        }
    }
    return nullptr;
}

ResourceName NameOfResourceArgument(LPCWSTR name) {
    const auto address = reinterpret_cast<std::uintptr_t>(name);
    if (address < 0x10000) {
        return ResourceName{static_cast<WORD>(address), {}};
    }
    return ResourceName{0, FromWide(name)};
}

}  // namespace sim::detail

using namespace sim::detail;

namespace {

// The entry of a string table block: 16 counted strings, one after the other.
bool FindStringInBlock(const ResourceEntry& block, UINT id, const BYTE*& units, WORD& length) {
    std::size_t offset = 0;
    for (UINT index = 0; index <= id % 16; ++index) {
        if (block.data.size() < offset + 2) {
            return false;
        }
        length = static_cast<WORD>(block.data[offset] | block.data[offset + 1] << 8);
        units = block.data.data() + offset + 2;
        offset += 2 + 2u * length;
    }
    return block.data.size() >= offset && length != 0;
}

}  // namespace

int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
    if (auto injected =
            Enter("LoadStringW", Args(hInstance, uID, lpBuffer, cchBufferMax), kZeroWithLastError)) {
        return static_cast<int>(*injected);
    }
    if (lpBuffer == nullptr || cchBufferMax < 0) {
        SetLastErrorValue(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const ResourceEntry* block =
        IsProgramModule(hInstance)
            ? FindProgramResource(kResourceTypeString, ResourceName{static_cast<WORD>(uID / 16 + 1), {}})
            : nullptr;
    const BYTE* units = nullptr;
    WORD length = 0;
    if (block == nullptr || !FindStringInBlock(*block, uID, units, length)) {
        if (cchBufferMax > 0) {
            lpBuffer[0] = 0;
        }
        SetLastErrorValue(IsProgramModule(hInstance) ? ERROR_RESOURCE_NAME_NOT_FOUND
                                                     : kErrorResourceDataNotFound);
        return 0;
    }
    // With no room at all the caller receives a read-only pointer to the resource itself.
    if (cchBufferMax == 0) {
        *reinterpret_cast<const WCHAR**>(lpBuffer) = reinterpret_cast<const WCHAR*>(units);
        return length;
    }
    const int copied = std::min<int>(length, cchBufferMax - 1);
    for (int i = 0; i < copied; ++i) {
        lpBuffer[i] = static_cast<WCHAR>(units[2 * i] | units[2 * i + 1] << 8);
    }
    lpBuffer[copied] = 0;
    return copied;
}

namespace sim {

bool LoadResourceFile(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<BYTE> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ParseResourceFile(bytes, ProgramResources(), error);
}

HINSTANCE ProgramInstance() {
    return kProgramInstance;
}

void SetUiLanguage(WORD language) {
    W().ui.uiLanguage = language;
}

void RemoveResource(WORD type, WORD id) {
    W().ui.removedResources.insert({type, id, -1});
}

void RemoveResource(WORD type, WORD id, WORD language) {
    W().ui.removedResources.insert({type, id, language});
}

}  // namespace sim

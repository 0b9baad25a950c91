// HKEY_LOCAL_MACHINE of a 64-bit Windows as a 32-bit program sees it: the
// default view redirects SOFTWARE to SOFTWARE\WOW6432Node, KEY_WOW64_64KEY
// reaches the native key, and SYSTEM is shared by both views.
#include <algorithm>
#include <cstring>

#include "sim/calls.h"
#include "sim/handles.h"
#include "sim/state.h"
#include "sim/text.h"

namespace sim::detail {

namespace {

constexpr REGSAM kViewFlags = KEY_WOW64_64KEY | KEY_WOW64_32KEY;
constexpr LSTATUS kErrorBadPathname = 161;

RegistryState& Reg() {
    return W().registry;
}

bool IsRoot(HKEY key) {
    return key == HKEY_LOCAL_MACHINE;
}

std::uintptr_t ValueOf(HKEY key) {
    return reinterpret_cast<std::uintptr_t>(key);
}

OpenKey* FindOpenKey(HKEY key) {
    if (!IsOpenHandle(ValueOf(key), HandleKind::Key)) {
        return nullptr;
    }
    return &Reg().openKeys.at(ValueOf(key));
}

std::vector<std::u16string> SplitPath(const std::u16string& path) {
    std::vector<std::u16string> parts;
    std::u16string part;
    for (char16_t unit : path) {
        if (unit == u'\\') {
            parts.push_back(part);
            part.clear();
        } else {
            part.push_back(unit);
        }
    }
    // One trailing backslash names the same key; a leading or doubled one is a bad path.
    if (!part.empty()) {
        parts.push_back(part);
    }
    return parts;
}

std::u16string JoinPath(const std::vector<std::u16string>& parts) {
    std::u16string path;
    for (const std::u16string& part : parts) {
        path += (path.empty() ? u"" : u"\\") + part;
    }
    return path;
}

// SOFTWARE\X in the 32-bit view of a 64-bit machine is SOFTWARE\WOW6432Node\X.
std::vector<std::u16string> Redirect(std::vector<std::u16string> parts, bool view64) {
    const bool redirected = !view64 && !parts.empty() && EqualsIgnoringCase(parts[0], u"SOFTWARE") &&
                            !(parts.size() > 1 && EqualsIgnoringCase(parts[1], u"WOW6432Node"));
    if (redirected) {
        parts.insert(parts.begin() + 1, u"WOW6432Node");
    }
    return parts;
}

struct Target {
    std::u16string logicalPath;
    std::vector<std::u16string> nativeParts;
    bool view64;
};

// Where lpSubKey under base leads, in the view the access mask selects (or the
// view of the base key when the mask names none).
LSTATUS ResolveTarget(HKEY base, LPCWSTR subKey, REGSAM access, Target& target) {
    std::u16string logicalBase;
    bool view64 = false;
    if (!IsRoot(base)) {
        const OpenKey* open = FindOpenKey(base);
        if (open == nullptr) {
            return ERROR_INVALID_HANDLE;
        }
        logicalBase = open->logicalPath;
        view64 = open->view64;
    }
    if ((access & kViewFlags) == kViewFlags) {
        return ERROR_INVALID_PARAMETER;
    }
    if ((access & kViewFlags) != 0) {
        view64 = (access & KEY_WOW64_64KEY) != 0;
    }
    std::vector<std::u16string> parts = SplitPath(logicalBase);
    for (const std::u16string& part : SplitPath(FromWide(subKey))) {
        if (part.empty()) {
            return kErrorBadPathname;
        }
        parts.push_back(part);
    }
    target = Target{JoinPath(parts), Redirect(parts, view64), view64};
    return ERROR_SUCCESS;
}

RegKey* FindNode(const std::vector<std::u16string>& parts) {
    RegKey* node = &Reg().root;
    for (const std::u16string& part : parts) {
        const auto child = node->children.find(FoldCase(part));
        if (child == node->children.end()) {
            return nullptr;
        }
        node = child->second.get();
    }
    return node;
}

RegKey* AddChild(RegKey& parent, const std::u16string& name) {
    auto child = std::make_unique<RegKey>();
    child->name = name;
    child->granted = parent.granted;
    RegKey* added = child.get();
    parent.children[FoldCase(name)] = std::move(child);
    return added;
}

RegKey* FindOrCreateNode(const std::vector<std::u16string>& parts) {
    RegKey* node = &Reg().root;
    for (const std::u16string& part : parts) {
        const auto child = node->children.find(FoldCase(part));
        node = child == node->children.end() ? AddChild(*node, part) : child->second.get();
    }
    return node;
}

bool Grants(const RegKey& node, REGSAM access) {
    return (access & ~kViewFlags & ~node.granted) == 0;
}

HKEY OpenKeyHandle(RegKey* node, const Target& target, REGSAM access) {
    const std::uintptr_t value = OpenHandle(HandleKind::Key);
    Reg().openKeys[value] =
        OpenKey{node, target.logicalPath, JoinPath(target.nativeParts), target.view64, access & ~kViewFlags};
    return reinterpret_cast<HKEY>(value);
}

void RecordOpen(const char* function, LPCWSTR subKey, const Target& target, REGSAM access, LSTATUS result,
                DWORD disposition) {
    Reg().opens.push_back(
        RegistryOpen{function, FromWide(subKey), JoinPath(target.nativeParts), access, result, disposition});
}

// Walks the path, creating what is missing where the parent grants KEY_CREATE_SUB_KEY.
LSTATUS CreatePath(const std::vector<std::u16string>& parts, RegKey*& node, bool& created) {
    node = &Reg().root;
    created = false;
    for (const std::u16string& part : parts) {
        const auto child = node->children.find(FoldCase(part));
        if (child != node->children.end()) {
            node = child->second.get();
            continue;
        }
        if ((node->granted & KEY_CREATE_SUB_KEY) == 0) {
            return ERROR_ACCESS_DENIED;
        }
        node = AddChild(*node, part);
        created = true;
    }
    return ERROR_SUCCESS;
}

LSTATUS CheckValueAccess(HKEY key, REGSAM needed, OpenKey*& open) {
    open = FindOpenKey(key);
    if (open == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    return (open->granted & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

bool LacksTerminator(const std::vector<BYTE>& data) {
    const std::size_t size = data.size();
    return size != 0 && (size < sizeof(WCHAR) || data[size - 1] != 0 || data[size - 2] != 0);
}

std::u16string ValueKey(LPCWSTR valueName) {
    return FoldCase(FromWide(valueName));
}

LSTATUS QueryValue(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size,
                   DWORD& written) {
    OpenKey* open = nullptr;
    const LSTATUS access = CheckValueAccess(key, KEY_QUERY_VALUE, open);
    if (access != ERROR_SUCCESS) {
        return access;
    }
    if (reserved != nullptr || (data != nullptr && size == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    const auto found = open->node->values.find(ValueKey(valueName));
    if (found == open->node->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const StoredValue& stored = found->second;
    const auto storedSize = static_cast<DWORD>(stored.data.size());
    const bool fits = data == nullptr || storedSize <= *size;
    if (data != nullptr && fits && storedSize != 0) {
        std::memcpy(data, stored.data.data(), storedSize);
        written = storedSize;
    }
    // A string stored without its terminator comes back terminated when the
    // buffer has room for one more unit; the size stays the stored one.
    if (data != nullptr && fits && IsStringType(stored.type) && LacksTerminator(stored.data) &&
        *size - storedSize >= sizeof(WCHAR)) {
        std::memset(data + storedSize, 0, sizeof(WCHAR));
        written = storedSize + sizeof(WCHAR);
    }
    if (type != nullptr) {
        *type = stored.type;
    }
    if (size != nullptr) {
        *size = storedSize;
    }
    return fits ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

}  // namespace

}  // namespace sim::detail

using namespace sim::detail;

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                             PHKEY phkResult) {
    if (auto injected =
            Enter("RegOpenKeyExW", Args(hKey, lpSubKey, ulOptions, samDesired, phkResult), kReturnsError)) {
        return static_cast<LSTATUS>(*injected);
    }
    Target target;
    LSTATUS result =
        phkResult == nullptr ? ERROR_INVALID_PARAMETER : ResolveTarget(hKey, lpSubKey, samDesired, target);
    RegKey* node = result == ERROR_SUCCESS ? FindNode(target.nativeParts) : nullptr;
    if (result == ERROR_SUCCESS && node == nullptr) {
        result = ERROR_FILE_NOT_FOUND;
    } else if (result == ERROR_SUCCESS && !Grants(*node, samDesired)) {
        result = ERROR_ACCESS_DENIED;
    }
    if (phkResult != nullptr) {
        *phkResult = result == ERROR_SUCCESS ? OpenKeyHandle(node, target, samDesired) : nullptr;
    }
    RecordOpen("RegOpenKeyExW", lpSubKey, target, samDesired, result, 0);
    return result;
}

LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                               REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                               PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (auto injected = Enter("RegCreateKeyExW",
                              Args(hKey, lpSubKey, Reserved, lpClass, dwOptions, samDesired,
                                   lpSecurityAttributes, phkResult, lpdwDisposition),
                              kReturnsError)) {
        return static_cast<LSTATUS>(*injected);
    }
    Target target;
    LSTATUS result = lpSubKey == nullptr || phkResult == nullptr
                         ? ERROR_INVALID_PARAMETER
                         : ResolveTarget(hKey, lpSubKey, samDesired, target);
    RegKey* node = nullptr;
    bool created = false;
    if (result == ERROR_SUCCESS) {
        result = CreatePath(target.nativeParts, node, created);
    }
    if (result == ERROR_SUCCESS && !Grants(*node, samDesired)) {
        result = ERROR_ACCESS_DENIED;
    }
    const DWORD disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    if (phkResult != nullptr) {
        *phkResult = result == ERROR_SUCCESS ? OpenKeyHandle(node, target, samDesired) : nullptr;
    }
    if (result == ERROR_SUCCESS && lpdwDisposition != nullptr) {
        *lpdwDisposition = disposition;
    }
    RecordOpen("RegCreateKeyExW", lpSubKey, target, samDesired, result,
               result == ERROR_SUCCESS ? disposition : 0);
    return result;
}

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    if (auto injected = Enter("RegQueryValueExW",
                              Args(hKey, lpValueName, lpReserved, lpType, lpData, lpcbData), kReturnsError)) {
        return static_cast<LSTATUS>(*injected);
    }
    const DWORD bufferSize = lpcbData == nullptr ? 0 : *lpcbData;
    const std::vector<BYTE> bufferOnEntry =
        lpData == nullptr ? std::vector<BYTE>() : std::vector<BYTE>(lpData, lpData + bufferSize);
    DWORD written = 0;
    const LSTATUS result = QueryValue(hKey, lpValueName, lpReserved, lpType, lpData, lpcbData, written);
    // Asked for the size alone, a failed query reports a size of 0, unless
    // the arguments themselves were refused.
    if (result != ERROR_SUCCESS && result != ERROR_INVALID_PARAMETER && lpData == nullptr &&
        lpcbData != nullptr) {
        *lpcbData = 0;
    }
    const OpenKey* open = FindOpenKey(hKey);
    Reg().queries.push_back(sim::RegistryQuery{open == nullptr ? u"" : open->nativePath,
                                               FromWide(lpValueName), bufferSize, result, bufferOnEntry,
                                               written});
    return result;
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
    if (auto injected = Enter("RegSetValueExW", Args(hKey, lpValueName, Reserved, dwType, lpData, cbData),
                              kReturnsError)) {
        return static_cast<LSTATUS>(*injected);
    }
    OpenKey* open = nullptr;
    const LSTATUS access = CheckValueAccess(hKey, KEY_SET_VALUE, open);
    if (access != ERROR_SUCCESS) {
        return access;
    }
    if (Reserved != 0 || (lpData == nullptr && cbData != 0)) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::u16string name = FromWide(lpValueName);
    open->node->values[FoldCase(name)] = sim::StoredValue{dwType, std::vector<BYTE>(lpData, lpData + cbData)};
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    if (auto injected = Enter("RegDeleteValueW", Args(hKey, lpValueName), kReturnsError)) {
        return static_cast<LSTATUS>(*injected);
    }
    OpenKey* open = nullptr;
    const LSTATUS access = CheckValueAccess(hKey, KEY_SET_VALUE, open);
    if (access != ERROR_SUCCESS) {
        return access;
    }
    return open->node->values.erase(ValueKey(lpValueName)) == 1 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    if (auto injected = Enter("RegCloseKey", Args(hKey), kReturnsError)) {
        return static_cast<LSTATUS>(*injected);
    }
    if (IsRoot(hKey)) {
        return ERROR_SUCCESS;
    }
    if (!CloseOpenHandle("RegCloseKey", ValueOf(hKey), {sim::HandleKind::Key})) {
        return ERROR_INVALID_HANDLE;
    }
    Reg().openKeys.erase(ValueOf(hKey));
    return ERROR_SUCCESS;
}

namespace sim {

void CreateKey(const std::u16string& path) {
    FindOrCreateNode(SplitPath(path));
}

bool KeyExists(const std::u16string& path) {
    return FindNode(SplitPath(path)) != nullptr;
}

void SetValue(const std::u16string& path, const std::u16string& name, DWORD type, std::vector<BYTE> data) {
    FindOrCreateNode(SplitPath(path))->values[FoldCase(name)] = StoredValue{type, std::move(data)};
}

void SetDwordValue(const std::u16string& path, const std::u16string& name, DWORD value) {
    SetValue(path, name, REG_DWORD,
             {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
              static_cast<BYTE>(value >> 24)});
}

std::optional<StoredValue> Value(const std::u16string& path, const std::u16string& name) {
    const RegKey* node = FindNode(SplitPath(path));
    if (node == nullptr) {
        return std::nullopt;
    }
    const auto found = node->values.find(FoldCase(name));
    return found == node->values.end() ? std::nullopt : std::optional<StoredValue>(found->second);
}

void SetKeyAccess(const std::u16string& path, REGSAM granted) {
    FindOrCreateNode(SplitPath(path))->granted = granted;
}

const std::vector<RegistryOpen>& RegistryOpens() {
    return Reg().opens;
}

const std::vector<RegistryQuery>& RegistryQueries() {
    return Reg().queries;
}

}  // namespace sim

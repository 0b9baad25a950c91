#pragma once

#include "platform/windows_api.h"

// Reads a REG_DWORD switch into a zero-filled buffer of BufferSize bytes:
// longer data is judged by its first four bytes, shorter data by the zeros
// beyond it rather than by whatever the stack held. The key is closed before
// returning; false when the key or value is missing, the query fails or the
// value is of another type.
template <DWORD BufferSize>
bool QueryRegistryDword(HKEY root, LPCWSTR keyPath, REGSAM access, LPCWSTR valueName, DWORD& value) {
    static_assert(BufferSize >= sizeof(DWORD), "the buffer must hold a DWORD");
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath, 0, access, &key) != ERROR_SUCCESS) {
        return false;
    }
    BYTE data[BufferSize] = {};
    DWORD type = REG_DWORD;
    DWORD size = BufferSize;
    const LSTATUS status = RegQueryValueExW(key, valueName, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD) {
        return false;
    }
    value = static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 |
            static_cast<DWORD>(data[2]) << 16 | static_cast<DWORD>(data[3]) << 24;
    return true;
}

#include "tests/fidelity/result_text.h"

#include <cstdint>
#include <cstdio>

namespace {

std::string ByteKind(BYTE byte, std::size_t position, const std::vector<BYTE>& data) {
    if (position < data.size() && byte == data[position]) {
        return "data";
    }
    if (byte == kPoisonByte) {
        return "cc";
    }
    if (byte == 0) {
        return "00";
    }
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    return std::string("hex:") + hex;
}

}  // namespace

HKEY PoisonKey() {
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0xCCCCCCCCu));
}

HANDLE PoisonHandle() {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0xCCCCCCCCu));
}

std::vector<WCHAR> Wide(const std::string& ascii) {
    std::vector<WCHAR> wide(ascii.begin(), ascii.end());
    wide.push_back(0);
    return wide;
}

std::string Number(DWORD value) {
    return std::to_string(value);
}

std::string Written(DWORD value, DWORD poison) {
    return value == poison ? "untouched" : Number(value);
}

std::string DescribeKey(HKEY key) {
    if (key == PoisonKey()) {
        return "untouched";
    }
    return key == nullptr ? "null" : "handle";
}

std::string DescribeHandle(HANDLE handle) {
    if (handle == PoisonHandle()) {
        return "untouched";
    }
    return handle == nullptr ? "null" : "handle";
}

std::string DescribeBytes(const BYTE* bytes, std::size_t count, std::size_t offset,
                          const std::vector<BYTE>& data) {
    std::string text;
    std::size_t i = 0;
    while (i < count) {
        const std::string kind = ByteKind(bytes[i], offset + i, data);
        std::size_t run = 1;
        while (i + run < count && ByteKind(bytes[i + run], offset + i + run, data) == kind) {
            ++run;
        }
        text +=
            (text.empty() ? "" : " ") + kind + (kind.rfind("hex:", 0) == 0 ? "*" : ":") + std::to_string(run);
        i += run;
    }
    return text.empty() ? "-" : text;
}

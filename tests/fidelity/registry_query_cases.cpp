// RegQueryValueExW on values of every type the program may meet, with data
// sizes around the limits of its two read buffers (256 and 260 bytes): what
// the call returns and what it writes into the buffer, the type and the size.
#include "tests/fidelity/fidelity_case.h"
#include "tests/fidelity/result_text.h"
#include "tests/fidelity/test_key.h"

namespace {

struct ValueType {
    DWORD type;
    const char* name;
};
constexpr ValueType kTypes[] = {
    {REG_DWORD, "dword"},   {REG_SZ, "sz"},       {REG_EXPAND_SZ, "expand_sz"}, {REG_MULTI_SZ, "multi_sz"},
    {REG_BINARY, "binary"}, {REG_QWORD, "qword"}, {REG_NONE, "none"},           {0x1234, "type4660"}};

struct Sizes {
    DWORD data;
    DWORD buffer;
};
constexpr Sizes kSizes[] = {{0, 256},   {1, 256},   {3, 256},   {4, 256},   {5, 256},  {255, 256},
                            {256, 256}, {257, 256}, {259, 260}, {260, 260}, {261, 260}};
constexpr DWORD kNullDataSizes[] = {0, 4, 257};

// Bytes past the buffer's end, to show a call writing beyond the size it was given.
constexpr std::size_t kGuardBytes = 8;

const char kQueryKey[] = "Query";

// Letters: never the poison byte, never zero.
std::vector<BYTE> Pattern(DWORD size) {
    std::vector<BYTE> data(size);
    for (DWORD i = 0; i < size; ++i) {
        data[i] = static_cast<BYTE>('A' + i % 26);
    }
    return data;
}

// Stored through the program's own call, so that the set is held to Wine as well.
LSTATUS StoreValue(HKEY key, const std::vector<WCHAR>& name, DWORD type, const std::vector<BYTE>& data) {
    static const BYTE kNoData = 0;
    return RegSetValueExW(key, name.data(), 0, type, data.empty() ? &kNoData : data.data(),
                          static_cast<DWORD>(data.size()));
}

std::string DescribeBuffer(const std::vector<BYTE>& buffer, DWORD bufferSize, const std::vector<BYTE>& data) {
    return DescribeBytes(buffer.data(), bufferSize, 0, data) + " | " +
           DescribeBytes(buffer.data() + bufferSize, buffer.size() - bufferSize, bufferSize, data);
}

std::string QueryIntoBuffer(const std::string& valueName, DWORD type, Sizes sizes) {
    TestKey key(kQueryKey);
    if (!key.Opened()) {
        return key.Failure();
    }
    const std::vector<WCHAR> name = Wide(valueName);
    const std::vector<BYTE> data = Pattern(sizes.data);
    const LSTATUS set = StoreValue(key, name, type, data);
    std::vector<BYTE> buffer(sizes.buffer + kGuardBytes, kPoisonByte);
    DWORD writtenType = kPoisonType;
    DWORD size = sizes.buffer;
    const LSTATUS result = RegQueryValueExW(key, name.data(), nullptr, &writtenType, buffer.data(), &size);
    return "set=" + Number(set) + " ret=" + Number(result) + " type=" + Written(writtenType, kPoisonType) +
           " size=" + Number(size) + " buffer=" + DescribeBuffer(buffer, sizes.buffer, data);
}

std::string QueryWithoutBuffer(const std::string& valueName, DWORD type, DWORD dataSize) {
    TestKey key(kQueryKey);
    if (!key.Opened()) {
        return key.Failure();
    }
    const std::vector<WCHAR> name = Wide(valueName);
    const LSTATUS set = StoreValue(key, name, type, Pattern(dataSize));
    DWORD writtenType = kPoisonType;
    DWORD size = kPoisonDword;
    const LSTATUS result = RegQueryValueExW(key, name.data(), nullptr, &writtenType, nullptr, &size);
    return "set=" + Number(set) + " ret=" + Number(result) + " type=" + Written(writtenType, kPoisonType) +
           " size=" + Written(size, kPoisonDword);
}

std::string QueryTypeOnly() {
    TestKey key(kQueryKey);
    if (!key.Opened()) {
        return key.Failure();
    }
    const std::vector<WCHAR> name = Wide("type_only");
    const LSTATUS set = StoreValue(key, name, REG_DWORD, Pattern(4));
    DWORD writtenType = kPoisonType;
    const LSTATUS result = RegQueryValueExW(key, name.data(), nullptr, &writtenType, nullptr, nullptr);
    return "set=" + Number(set) + " ret=" + Number(result) + " type=" + Written(writtenType, kPoisonType);
}

// lpReserved must be null.
std::string QueryWithReserved() {
    TestKey key(kQueryKey);
    if (!key.Opened()) {
        return key.Failure();
    }
    const std::vector<WCHAR> name = Wide("reserved");
    const LSTATUS set = StoreValue(key, name, REG_DWORD, Pattern(4));
    DWORD reserved = 0;
    DWORD writtenType = kPoisonType;
    DWORD size = kPoisonDword;
    const LSTATUS result = RegQueryValueExW(key, name.data(), &reserved, &writtenType, nullptr, &size);
    return "set=" + Number(set) + " ret=" + Number(result) + " type=" + Written(writtenType, kPoisonType) +
           " size=" + Written(size, kPoisonDword) + " reserved=" + Number(reserved);
}

// lpcbData may be null only when lpData is.
std::string QueryBufferWithoutSize() {
    TestKey key(kQueryKey);
    if (!key.Opened()) {
        return key.Failure();
    }
    const std::vector<WCHAR> name = Wide("buffer_without_size");
    const std::vector<BYTE> data = Pattern(4);
    const LSTATUS set = StoreValue(key, name, REG_DWORD, data);
    std::vector<BYTE> buffer(256, kPoisonByte);
    DWORD writtenType = kPoisonType;
    const LSTATUS result = RegQueryValueExW(key, name.data(), nullptr, &writtenType, buffer.data(), nullptr);
    return "set=" + Number(set) + " ret=" + Number(result) + " type=" + Written(writtenType, kPoisonType) +
           " buffer=" + DescribeBytes(buffer.data(), buffer.size(), 0, data);
}

std::string QueryMissingValue() {
    TestKey key(kQueryKey);
    if (!key.Opened()) {
        return key.Failure();
    }
    std::vector<BYTE> buffer(256 + kGuardBytes, kPoisonByte);
    DWORD writtenType = kPoisonType;
    DWORD size = 256;
    const LSTATUS result =
        RegQueryValueExW(key, Wide("missing").data(), nullptr, &writtenType, buffer.data(), &size);
    return "ret=" + Number(result) + " type=" + Written(writtenType, kPoisonType) + " size=" + Number(size) +
           " buffer=" + DescribeBuffer(buffer, 256, {});
}

std::string QueryMissingValueWithoutBuffer() {
    TestKey key(kQueryKey);
    if (!key.Opened()) {
        return key.Failure();
    }
    DWORD writtenType = kPoisonType;
    DWORD size = kPoisonDword;
    const LSTATUS result =
        RegQueryValueExW(key, Wide("missing").data(), nullptr, &writtenType, nullptr, &size);
    return "ret=" + Number(result) + " type=" + Written(writtenType, kPoisonType) +
           " size=" + Written(size, kPoisonDword);
}

// A string stored with its terminator, as the program's own values would be.
std::string QueryTerminatedString() {
    TestKey key(kQueryKey);
    if (!key.Opened()) {
        return key.Failure();
    }
    const std::vector<WCHAR> name = Wide("terminated");
    const std::vector<BYTE> data = {'1', 0, 0, 0};
    const LSTATUS set = StoreValue(key, name, REG_SZ, data);
    std::vector<BYTE> buffer(256 + kGuardBytes, kPoisonByte);
    DWORD writtenType = kPoisonType;
    DWORD size = 256;
    const LSTATUS result = RegQueryValueExW(key, name.data(), nullptr, &writtenType, buffer.data(), &size);
    return "set=" + Number(set) + " ret=" + Number(result) + " type=" + Written(writtenType, kPoisonType) +
           " size=" + Number(size) + " buffer=" + DescribeBuffer(buffer, 256, data);
}

// Value names are compared without regard to case.
std::string QueryNameInOtherCase() {
    TestKey key(kQueryKey);
    if (!key.Opened()) {
        return key.Failure();
    }
    const std::vector<BYTE> data = Pattern(4);
    const LSTATUS set = StoreValue(key, Wide("MixedCase"), REG_DWORD, data);
    std::vector<BYTE> buffer(4, kPoisonByte);
    DWORD writtenType = kPoisonType;
    DWORD size = 4;
    const LSTATUS result =
        RegQueryValueExW(key, Wide("mIXEDcASE").data(), nullptr, &writtenType, buffer.data(), &size);
    return "set=" + Number(set) + " ret=" + Number(result) + " type=" + Written(writtenType, kPoisonType) +
           " size=" + Number(size) + " buffer=" + DescribeBytes(buffer.data(), buffer.size(), 0, data);
}

}  // namespace

std::vector<FidelityCase> RegistryQueryCases() {
    std::vector<FidelityCase> cases;
    for (const ValueType& type : kTypes) {
        for (const Sizes& sizes : kSizes) {
            const std::string name =
                "query_" + std::string(type.name) + "_" + Number(sizes.data) + "_in_" + Number(sizes.buffer);
            cases.push_back({name, [=] { return QueryIntoBuffer(name, type.type, sizes); }, std::nullopt});
        }
        for (const DWORD size : kNullDataSizes) {
            const std::string name = "query_" + std::string(type.name) + "_" + Number(size) + "_no_buffer";
            cases.push_back({name, [=] { return QueryWithoutBuffer(name, type.type, size); }, std::nullopt});
        }
    }
    cases.push_back({"query_type_only", QueryTypeOnly, std::nullopt});
    cases.push_back({"query_buffer_without_size", QueryBufferWithoutSize, std::nullopt});
    cases.push_back({"query_with_reserved", QueryWithReserved, std::nullopt});
    cases.push_back({"query_missing_value", QueryMissingValue, std::nullopt});
    cases.push_back({"query_missing_value_no_buffer", QueryMissingValueWithoutBuffer, std::nullopt});
    cases.push_back({"query_terminated_string", QueryTerminatedString, std::nullopt});
    cases.push_back({"query_name_in_other_case", QueryNameInOtherCase, std::nullopt});
    return cases;
}

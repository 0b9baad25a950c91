#include "tests/fault/registry_value_oracle.h"

#include <algorithm>

std::optional<DWORD> DwordReadThrough(DWORD bufferSize, DWORD type, const std::vector<BYTE>& data) {
    if (data.size() > bufferSize || type != REG_DWORD) {
        return std::nullopt;
    }
    DWORD value = 0;
    for (std::size_t i = 0; i < data.size() && i < sizeof value; ++i) {
        value |= static_cast<DWORD>(data[i]) << (8 * i);
    }
    return value;
}

std::string UnfilledBufferEvidence(const sim::RegistryQuery& query, DWORD bufferSize, std::size_t dataSize) {
    if (query.bufferSize != bufferSize || query.bufferOnEntry.size() != bufferSize) {
        return "buffer of " + std::to_string(query.bufferSize) + " bytes handed in";
    }
    const auto nonZero = std::find_if(query.bufferOnEntry.begin(), query.bufferOnEntry.end(),
                                      [](BYTE byte) { return byte != 0; });
    if (nonZero != query.bufferOnEntry.end()) {
        return "buffer not zero-filled when handed in (byte " +
               std::to_string(nonZero - query.bufferOnEntry.begin()) + ")";
    }
    const bool fits = dataSize <= bufferSize;
    if (fits ? query.bytesWritten < dataSize : query.bytesWritten != 0) {
        return std::to_string(query.bytesWritten) + " bytes written for " + std::to_string(dataSize) +
               " bytes of data";
    }
    return std::string();
}

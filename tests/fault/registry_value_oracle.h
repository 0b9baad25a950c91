// How the program's two REG_DWORD switches read, from the stored type and
// data alone: the query fills a zero-filled buffer as far as the data goes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/sim.h"

constexpr DWORD kFastResumeBufferSize = 256;
constexpr DWORD kSwitchBufferSize = 260;

// The number read, or nothing when the read fails: the data does not fit the
// buffer, or the value is not a REG_DWORD. Bytes beyond the data read as 0.
std::optional<DWORD> DwordReadThrough(DWORD bufferSize, DWORD type, const std::vector<BYTE>& data);

// Why the recorded query shows that the program could read more than the
// stored data and its own zero fill ("" when it does not): a buffer of
// another size, a buffer not zero-filled when handed in, or data written where
// none fits.
std::string UnfilledBufferEvidence(const sim::RegistryQuery& query, DWORD bufferSize, std::size_t dataSize);

// Turning what a call returned and wrote into the text of a result line. Every
// out-parameter is preset to a poison value first, so that a line tells what
// the call wrote from what it left alone.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/windows_api.h"

constexpr BYTE kPoisonByte = 0xCC;
constexpr DWORD kPoisonType = 0xDEADBEEF;
constexpr DWORD kPoisonDword = 0xBAADF00D;

HKEY PoisonKey();
HANDLE PoisonHandle();

// Zero-terminated UTF-16 copy of an ASCII text.
std::vector<WCHAR> Wide(const std::string& ascii);

std::string Number(DWORD value);
// "untouched" while the variable still holds its poison, else the number.
std::string Written(DWORD value, DWORD poison);
// "untouched", "null" or "handle".
std::string DescribeKey(HKEY key);
std::string DescribeHandle(HANDLE handle);

// Runs of bytes by kind: "data:N" (the byte the stored data has at that
// offset), "cc:N" (poison), "00:N", or the bytes themselves in hex ("hex:41").
// `offset` is the position of bytes[0] within the data.
std::string DescribeBytes(const BYTE* bytes, std::size_t count, std::size_t offset,
                          const std::vector<BYTE>& data);

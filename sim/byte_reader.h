// Little-endian reading of the compiled resource formats, bounds-checked:
// reading past the end sets a flag instead of touching memory.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sim/win32_api.h"

namespace sim::detail {

class ByteReader {
  public:
    ByteReader(const std::vector<BYTE>& bytes, std::size_t offset) : m_bytes(bytes), m_offset(offset) {}

    BYTE Byte();
    WORD Word();
    DWORD Dword();
    // UTF-16 units up to and including a terminator.
    std::u16string TerminatedString();
    void AlignTo(std::size_t alignment);
    void Skip(std::size_t count);

    std::size_t Offset() const { return m_offset; }
    bool Overran() const { return m_overran; }
    bool AtEnd() const { return m_offset >= m_bytes.size(); }

  private:
    bool Has(std::size_t count);

    const std::vector<BYTE>& m_bytes;
    std::size_t m_offset;
    bool m_overran = false;
};

}  // namespace sim::detail

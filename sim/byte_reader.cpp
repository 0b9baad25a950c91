#include "sim/byte_reader.h"

namespace sim::detail {

bool ByteReader::Has(std::size_t count) {
    if (m_overran || m_offset > m_bytes.size() || m_bytes.size() - m_offset < count) {
        m_overran = true;
        return false;
    }
    return true;
}

BYTE ByteReader::Byte() {
    if (!Has(1)) {
        return 0;
    }
    return m_bytes[m_offset++];
}

WORD ByteReader::Word() {
    const WORD low = Byte();
    const WORD high = Byte();
    return static_cast<WORD>(low | high << 8);
}

DWORD ByteReader::Dword() {
    const DWORD low = Word();
    const DWORD high = Word();
    return low | high << 16;
}

std::u16string ByteReader::TerminatedString() {
    std::u16string text;
    for (WORD unit = Word(); unit != 0 && !m_overran; unit = Word()) {
        text.push_back(static_cast<char16_t>(unit));
    }
    return text;
}

void ByteReader::AlignTo(std::size_t alignment) {
    Skip((alignment - m_offset % alignment) % alignment);
}

void ByteReader::Skip(std::size_t count) {
    if (Has(count)) {
        m_offset += count;
    }
}

}  // namespace sim::detail

#include "tests/fidelity/test_key.h"

#include "tests/fidelity/result_text.h"

std::string TestPath(const std::string& relative) {
    return std::string(kTestRoot) + "\\" + relative;
}

TestKey::TestKey(const std::string& relative, REGSAM access) : m_key(nullptr) {
    m_status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(TestPath(relative)).data(), 0, nullptr,
                               REG_OPTION_NON_VOLATILE, access, nullptr, &m_key, nullptr);
}

TestKey::~TestKey() {
    CloseIfOpened(m_status, m_key);
}

std::string TestKey::Failure() const {
    return "test key not opened: " + Number(static_cast<DWORD>(m_status));
}

void CloseIfOpened(LSTATUS result, HKEY key) {
    if (result == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
}

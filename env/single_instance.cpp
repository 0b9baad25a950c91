#include "env/single_instance.h"

CMultipleInstancePreventer::CMultipleInstancePreventer(LPCWSTR name) : m_hMutex(nullptr), m_name(name) {}

CMultipleInstancePreventer::~CMultipleInstancePreventer() {
    if (m_hMutex != nullptr) {
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
}

bool CMultipleInstancePreventer::Acquire() {
    if (m_name == nullptr || m_name[0] == 0) {
        return false;
    }
    m_hMutex = CreateMutexW(nullptr, FALSE, m_name);
    if (m_hMutex == nullptr) {
        return false;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
        return false;
    }
    return true;
}

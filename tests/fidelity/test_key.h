// The table's private registry keys, under SOFTWARE\QuenloftFidelity, so that
// nothing of the program's own keys is touched.
#pragma once

#include <string>

#include "platform/windows_api.h"

constexpr char kTestRoot[] = "SOFTWARE\\QuenloftFidelity";

std::string TestPath(const std::string& relative);

// A key under the test root, created (or opened) with RegCreateKeyExW and
// closed on destruction.
class TestKey {
  public:
    explicit TestKey(const std::string& relative, REGSAM access = KEY_ALL_ACCESS);
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    bool Opened() const { return m_status == ERROR_SUCCESS; }
    // The result line of a case whose key could not be opened.
    std::string Failure() const;
    operator HKEY() const { return m_key; }

  private:
    HKEY m_key;
    LSTATUS m_status;
};

// Closes a key that a call reported as opened.
void CloseIfOpened(LSTATUS result, HKEY key);

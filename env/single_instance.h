#pragma once

#include "platform/windows_api.h"

// Keeps a second copy of the program out for as long as the object lives, by
// holding a named mutex. A name without a namespace prefix lives in the local
// namespace of the logon, so the exclusion holds per signed-in user. The mutex
// is never waited on or owned; only its existence under the name matters.
class CMultipleInstancePreventer {
  public:
    explicit CMultipleInstancePreventer(LPCWSTR name);
    virtual ~CMultipleInstancePreventer();

    CMultipleInstancePreventer(const CMultipleInstancePreventer&) = delete;
    CMultipleInstancePreventer& operator=(const CMultipleInstancePreventer&) = delete;

    // True when this process created the mutex and now holds it.
    bool Acquire();

  private:
    HANDLE m_hMutex;
    LPCWSTR m_name;
};

#pragma once

#include <cstdint>

// How the program sees the fast-resume setting; held in 32 bits.
enum FastResumeState : std::int32_t {
    Disabled = 0,
    Enabled = 1,
};

#pragma once

#include <stdint.h>

// How the program sees the fast-resume setting; held in 32 bits.
enum FastResumeState : int32_t {
    Disabled = 0,
    Enabled = 1,
};

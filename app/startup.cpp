// Process entry and the few helpers the compiler expects from a C runtime,
// which this executable does not link.
#include <stddef.h>

#include "platform/windows_api.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previousInstance, PWSTR commandLine, int showCommand);

extern "C" void WINAPI wWinMainCRTStartup() {
    // ExitProcess rather than a return, so threads the platform started in the process cannot keep it alive.
    ExitProcess(static_cast<UINT>(wWinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWDEFAULT)));
}

// Zero-fills and structure copies compile to these calls.
extern "C" void* memset(void* destination, int value, size_t count) {
    unsigned char* bytes = static_cast<unsigned char*>(destination);
    while (count-- != 0) {
        *bytes++ = static_cast<unsigned char>(value);
    }
    return destination;
}

extern "C" void* memcpy(void* destination, const void* source, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    while (count-- != 0) {
        *to++ = *from++;
    }
    return destination;
}

// A virtual destructor makes the compiler emit a deleting destructor that refers
// to the sized form only; no object of the program is ever allocated on the heap,
// so the unsized form the warning asks for would be dead code.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsized-deallocation"
void operator delete(void*, size_t) noexcept {}
#pragma GCC diagnostic pop

// The start-up floor: a freestanding exe that imports the same three DLLs as
// Quenloft.exe and exits at once, so that what it costs is only the platform's
// process creation and DLL loading.

extern "C" __declspec(dllimport) void __stdcall ExitProcess(unsigned int exitCode);
extern "C" __declspec(dllimport) int __stdcall GetSystemMetrics(int index);
extern "C" __declspec(dllimport) long __stdcall RegCloseKey(void* key);

// Never called: referring to one function of each DLL is what puts user32 and
// advapi32 into the import table, and the loader then maps and initialises them.
void* volatile floorImports[] = {reinterpret_cast<void*>(&GetSystemMetrics),
                                 reinterpret_cast<void*>(&RegCloseKey)};

extern "C" void __stdcall wWinMainCRTStartup() {
    ExitProcess(0);
}

# Quenloft.exe: a freestanding 32-bit GUI executable. No C or C++ runtime is
# linked; app/startup.cpp is the entry point and supplies the few helpers the
# compiler emits calls to.
enable_language(RC)

add_executable(Quenloft WIN32 ${QUENLOFT_PROGRAM_SOURCES} app/main.cpp app/startup.cpp)
quenloft_add_resources(Quenloft)

target_include_directories(Quenloft PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(Quenloft PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_options(Quenloft PRIVATE
    -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
    -fno-threadsafe-statics -fno-stack-protector -ffunction-sections -fdata-sections
    -fmacro-prefix-map=${PROJECT_SOURCE_DIR}/=
    # For size: link-time optimisation inlines the many single-caller functions
    # across files, and ABI alignment drops the 32-byte padding GCC gives to
    # arrays such as the registry and mutex names. Each saves a 512-byte file
    # alignment step, of .text and of .rdata, and the few globals move to .bss.
    -flto -malign-data=abi)
# The compiler would otherwise turn the byte loops of memset and memcpy into calls to themselves.
set_source_files_properties(app/startup.cpp PROPERTIES COMPILE_OPTIONS -fno-tree-loop-distribute-patterns)

target_link_options(Quenloft PRIVATE
    -nostdlib -s -flto
    -Wl,--fatal-warnings
    -Wl,-e,_wWinMainCRTStartup@0
    -Wl,--subsystem,windows:5.0
    -Wl,--major-os-version,5 -Wl,--minor-os-version,0
    -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware
    -Wl,--gc-sections
    -Wl,--no-insert-timestamp)
target_link_libraries(Quenloft PRIVATE kernel32 user32 advapi32 gcc)

# Tests of the built executable: its resources and image, and the exe run under Wine.
enable_testing()
add_subdirectory(tests/exe)
add_subdirectory(tests/release)
add_subdirectory(tests/fidelity)
add_subdirectory(tests/e2e)

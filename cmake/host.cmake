# Host build: the program's own sources against the simulated Windows, and the
# unit tests that drive them.
add_compile_options(-fshort-wchar)

option(QUENLOFT_SANITIZE "Build the host tests with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(QUENLOFT_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

add_subdirectory(sim)
quenloft_add_host_resources()

add_library(quenloft_core STATIC ${QUENLOFT_PROGRAM_SOURCES})
target_include_directories(quenloft_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quenloft_core PUBLIC quenloft_sim)

enable_testing()
add_subdirectory(tests/unit)
add_subdirectory(tests/fidelity)
add_subdirectory(tests/fault)

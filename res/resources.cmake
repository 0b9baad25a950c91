# Resources of Quenloft.exe: the scripts in this directory and the icon that
# icon/make_icon.py renders from icon/artwork.json at build time.
#
#   quenloft_add_resources(<target>)
#       Windows build (RC language enabled, windres as CMAKE_RC_COMPILER):
#       compiles quenloft.rc into <target>. Call it in the directory that
#       defines <target>.
#   quenloft_add_host_resources()
#       Host build: compiles quenloft.rc into ${CMAKE_BINARY_DIR}/res/quenloft.res
#       (custom target quenloft_res) for the simulated Windows to read, and sets
#       QUENLOFT_RES_FILE to that path.

include_guard(GLOBAL)

set(QUENLOFT_RES_DIR "${CMAKE_CURRENT_LIST_DIR}")

# Debian's interpreter, the one the exe tests run with, whatever python3 comes
# first in PATH. The generator needs nothing beyond its standard library.
find_program(QUENLOFT_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

# Everything quenloft.rc pulls in. Neither CMake nor windres reports these
# dependencies, so a change to any of them would otherwise leave stale
# resources in the build.
set(QUENLOFT_RC_INPUTS
    "${QUENLOFT_RES_DIR}/quenloft.rc"
    "${QUENLOFT_RES_DIR}/resource.h"
    "${QUENLOFT_RES_DIR}/strings.rc"
    "${QUENLOFT_RES_DIR}/dialog.rc"
    "${QUENLOFT_RES_DIR}/version.rc"
    "${QUENLOFT_RES_DIR}/manifest.rc"
    "${QUENLOFT_RES_DIR}/quenloft.manifest"
    "${QUENLOFT_RES_DIR}/icon.rc")

# Adds the command that renders the icon; sets <icon_var> to the .ico path.
function(_quenloft_generate_icon icon_var)
    set(icon_dir "${CMAKE_BINARY_DIR}/res/icon")
    set(icon "${icon_dir}/quenloft.ico")
    add_custom_command(
        OUTPUT "${icon}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${icon_dir}"
        COMMAND "${QUENLOFT_PYTHON}" "${QUENLOFT_RES_DIR}/icon/make_icon.py"
                "${QUENLOFT_RES_DIR}/icon/artwork.json" "${icon}"
        DEPENDS "${QUENLOFT_RES_DIR}/icon/make_icon.py" "${QUENLOFT_RES_DIR}/icon/artwork.json"
        COMMENT "Rendering the application icon"
        VERBATIM)
    set(${icon_var} "${icon}" PARENT_SCOPE)
endfunction()

function(quenloft_add_resources target)
    _quenloft_generate_icon(icon)
    get_filename_component(icon_dir "${icon}" DIRECTORY)
    set(rc "${QUENLOFT_RES_DIR}/quenloft.rc")
    # The icon is listed as a source too, so that the target runs its command.
    target_sources(${target} PRIVATE "${rc}" "${icon}")
    set_source_files_properties("${rc}" TARGET_DIRECTORY ${target} PROPERTIES
        INCLUDE_DIRECTORIES "${QUENLOFT_RES_DIR};${icon_dir}"
        OBJECT_DEPENDS "${QUENLOFT_RC_INPUTS};${icon}")
endfunction()

function(quenloft_add_host_resources)
    find_program(QUENLOFT_WINDRES NAMES i686-w64-mingw32-windres REQUIRED)
    _quenloft_generate_icon(icon)
    get_filename_component(icon_dir "${icon}" DIRECTORY)
    set(res "${CMAKE_BINARY_DIR}/res/quenloft.res")
    # --include-dir rather than -I: windres reads "-I res" as an input format.
    add_custom_command(
        OUTPUT "${res}"
        COMMAND "${QUENLOFT_WINDRES}" -O res
                "--include-dir=${QUENLOFT_RES_DIR}" "--include-dir=${icon_dir}"
                -i "${QUENLOFT_RES_DIR}/quenloft.rc" -o "${res}"
        DEPENDS ${QUENLOFT_RC_INPUTS} "${icon}"
        COMMENT "Compiling the resources for the simulated Windows"
        VERBATIM)
    add_custom_target(quenloft_res ALL DEPENDS "${res}")
    set(QUENLOFT_RES_FILE "${res}" CACHE INTERNAL "Compiled resources of Quenloft.exe")
    set(QUENLOFT_RES_FILE "${res}" PARENT_SCOPE)
endfunction()

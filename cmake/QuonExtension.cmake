# quon_add_extension(NAME [LOAD_ORDER] [CHECKED] [SOURCES...]): declares a Quon extension library, libNAME.so,
# as the host loads it: a shared library linking Quon::externlib (the headers, the whole runtime,
# the library object with the entry points, the version script that exports only the host's seven
# symbols, the link-time check for DescribeLibrary, -Bsymbolic), compiled as C++20 with hidden
# visibility so that nothing else leaks across the module boundary, and with link-time
# optimisation over its own files outside Debug builds. More sources can follow
# with target_sources.
#
# CHECKED links the checked build of the framework instead: the same library with checks of
# everything it trusts the host with, each failing with "host fault: ..." (for testing hosts).
#
# LOAD_ORDER (off unless asked for) links with load-order.ld, a GNU ld script that lays the file
# out as its headers, its read-only data, then the code a load runs, so that loading touches two or
# three 64 KB windows of the file instead of one per 64 KB of code; with it, where the linker has
# them, packed relative relocations and one segment for code and read-only data. The script
# restates .text for GNU ld (and names mangled functions of the runtime), so another linker may
# refuse it or lose the order, and packed relocations need a glibc of 2.36 or later at load.
#
#   find_package(QuonExtern CONFIG REQUIRED)
#   quon_add_extension(HelloExtension HelloExtension.cpp)
include(CheckIPOSupported)
check_ipo_supported(RESULT quon_extension_ipo LANGUAGES CXX)
include(CheckLinkerFlag)
check_linker_flag(CXX "-Wl,-z,pack-relative-relocs" quon_pack_relocations)

# The load-order script: beside this file in the installed package, in interface/ in the source tree.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/load-order.ld)
    set(quon_load_order_script ${CMAKE_CURRENT_LIST_DIR}/load-order.ld)
else()
    set(quon_load_order_script ${CMAKE_CURRENT_LIST_DIR}/../interface/load-order.ld)
endif()

function(quon_add_extension name)
    cmake_parse_arguments(PARSE_ARGV 1 quon "LOAD_ORDER;CHECKED" "" "")
    add_library(${name} SHARED ${quon_UNPARSED_ARGUMENTS})
    if(quon_LOAD_ORDER)
        # One section per function, so that the script can place the library's own load-time code.
        target_compile_options(${name} PRIVATE -ffunction-sections)
        target_link_options(${name} PRIVATE -ffunction-sections "-Wl,-T,${quon_load_order_script}")
        set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${quon_load_order_script})
        if(quon_pack_relocations)
            # The loader applies the few thousand relative relocations from a compact bitmap.
            target_link_options(${name} PRIVATE -Wl,-z,pack-relative-relocs -Wl,-z,noseparate-code)
        endif()
    endif()
    # Link-time optimisation over the library's own files, where the toolchain has it: a generated
    # adapter then inlines the native function it calls, which usually lives in another file.
    if(quon_extension_ipo)
        set_target_properties(${name} PROPERTIES
            INTERPROCEDURAL_OPTIMIZATION_RELEASE ON
            INTERPROCEDURAL_OPTIMIZATION_RELWITHDEBINFO ON
            INTERPROCEDURAL_OPTIMIZATION_MINSIZEREL ON)
    endif()
    if(quon_CHECKED)
        if(NOT TARGET Quon::externlib_checked)
            message(FATAL_ERROR "quon_add_extension(${name} CHECKED): this QuonExtern has no checked build")
        endif()
        target_link_libraries(${name} PRIVATE Quon::externlib_checked)
    else()
        target_link_libraries(${name} PRIVATE Quon::externlib)
    endif()
    target_compile_features(${name} PRIVATE cxx_std_20)
    set_target_properties(${name} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        POSITION_INDEPENDENT_CODE ON)
endfunction()

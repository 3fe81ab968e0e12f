# quon_add_extension(NAME [SOURCES...]): declares a Quon extension library, libNAME.so, as the
# host loads it: a shared library linking Quon::externlib (the headers, the whole runtime, the
# library object with the entry points, the version script that exports only the host's seven
# symbols, the link-time check for DescribeLibrary, -Bsymbolic), compiled as C++20 with hidden
# visibility so that nothing else leaks across the module boundary, and with link-time
# optimisation over its own files outside Debug builds. More sources can follow
# with target_sources.
#
#   find_package(QuonExtern CONFIG REQUIRED)
#   quon_add_extension(HelloExtension HelloExtension.cpp)
include(CheckIPOSupported)
check_ipo_supported(RESULT quon_extension_ipo LANGUAGES CXX)

function(quon_add_extension name)
    add_library(${name} SHARED ${ARGN})
    # Link-time optimisation over the library's own files, where the toolchain has it: a generated
    # adapter then inlines the native function it calls, which usually lives in another file.
    if(quon_extension_ipo)
        set_target_properties(${name} PROPERTIES
            INTERPROCEDURAL_OPTIMIZATION_RELEASE ON
            INTERPROCEDURAL_OPTIMIZATION_RELWITHDEBINFO ON
            INTERPROCEDURAL_OPTIMIZATION_MINSIZEREL ON)
    endif()
    target_link_libraries(${name} PRIVATE Quon::externlib)
    target_compile_features(${name} PRIVATE cxx_std_20)
    set_target_properties(${name} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        POSITION_INDEPENDENT_CODE ON)
endfunction()

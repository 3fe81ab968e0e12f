# quon_add_extension(NAME [SOURCES...]): declares a Quon extension library, libNAME.so, as the
# host loads it: a shared library linking Quon::externlib (the headers, the whole runtime, the
# library object with the entry points, the version script that exports only the host's seven
# symbols, the link-time check for DescribeLibrary, -Bsymbolic), compiled as C++20 with hidden
# visibility so that nothing else leaks across the module boundary. More sources can follow
# with target_sources.
#
#   find_package(QuonExtern CONFIG REQUIRED)
#   quon_add_extension(HelloExtension HelloExtension.cpp)
function(quon_add_extension name)
    add_library(${name} SHARED ${ARGN})
    target_link_libraries(${name} PRIVATE Quon::externlib)
    target_compile_features(${name} PRIVATE cxx_std_20)
    set_target_properties(${name} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        POSITION_INDEPENDENT_CODE ON)
endfunction()

# The checked build of the binding framework: the runtime and the library object compiled again
# with QUON_CHECKED_HOST, which compiles in the checks of everything an extension library trusts
# its host with (platform/HostCheck.h). quon_add_extension(NAME CHECKED ...) links it instead of
# the release build; TestExternalLibrary is built both ways (libTestExternalLibraryChecked.so).

# A static library of the same sources, options and include paths as `target`, checked.
function(quon_checked_twin target twin)
    get_target_property(sources ${target} SOURCES)
    get_target_property(folder ${target} SOURCE_DIR)
    list(TRANSFORM sources PREPEND ${folder}/ REGEX "^[^/$]")
    add_library(${twin} STATIC ${sources})
    foreach(property COMPILE_OPTIONS INCLUDE_DIRECTORIES COMPILE_DEFINITIONS)
        get_target_property(value ${target} ${property})
        if(value)
            set_property(TARGET ${twin} PROPERTY ${property} ${value})
        endif()
    endforeach()
    target_compile_definitions(${twin} PUBLIC QUON_CHECKED_HOST=1)
    target_link_libraries(${twin} PUBLIC pthread dl)
endfunction()

quon_checked_twin(quon_runtime quon_runtime_checked)
quon_checked_twin(quon_extension quon_extension_checked)

add_library(quon_externlib_checked INTERFACE)
add_library(Quon::externlib_checked ALIAS quon_externlib_checked)
foreach(property INTERFACE_INCLUDE_DIRECTORIES INTERFACE_COMPILE_FEATURES INTERFACE_LINK_OPTIONS INTERFACE_LINK_DEPENDS)
    get_target_property(value quon_externlib ${property})
    if(value)
        set_property(TARGET quon_externlib_checked PROPERTY ${property} ${value})
    endif()
endforeach()
target_compile_definitions(quon_externlib_checked INTERFACE QUON_CHECKED_HOST=1)
target_link_libraries(quon_externlib_checked INTERFACE
    "$<BUILD_INTERFACE:$<LINK_LIBRARY:WHOLE_ARCHIVE,quon_extension_checked,quon_runtime_checked>>")

# The binding framework as an installed package, QuonExtern: the headers an extension author
# includes (under include/quon, with the same paths as in this tree), the runtime and the library
# object as static libraries, the version script, the load-order script that
# quon_add_extension(NAME LOAD_ORDER ...) links, and the package configuration with the exported
# targets. An extension library links Quon::externlib and defines DescribeLibrary.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(quon_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/QuonExtern)

# The release build, and the checked one where it is built (quon_add_extension(NAME CHECKED ...)).
set(quon_installed_targets)
foreach(build "" "_checked")
    if(NOT TARGET quon_externlib${build})
        continue()
    endif()
    set_target_properties(quon_runtime${build} PROPERTIES EXPORT_NAME runtime${build})
    set_target_properties(quon_extension${build} PROPERTIES EXPORT_NAME extension${build})
    set_target_properties(quon_externlib${build} PROPERTIES EXPORT_NAME externlib${build})
    target_include_directories(quon_externlib${build} INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/quon>)
    # An export does not rename the targets inside $<LINK_LIBRARY:...>: name the imported ones here.
    target_link_libraries(quon_externlib${build} INTERFACE
        "$<INSTALL_INTERFACE:$<LINK_LIBRARY:WHOLE_ARCHIVE,Quon::extension${build},Quon::runtime${build}>>")
    target_link_options(quon_externlib${build} INTERFACE
        "$<INSTALL_INTERFACE:-Wl,--version-script=$<INSTALL_PREFIX>/${quon_package_dir}/exports.map>"
        "$<INSTALL_INTERFACE:$<INSTALL_PREFIX>/${quon_package_dir}/describe-library.ld>")
    set_property(TARGET quon_externlib${build} APPEND PROPERTY INTERFACE_LINK_DEPENDS
        "$<INSTALL_INTERFACE:$<INSTALL_PREFIX>/${quon_package_dir}/exports.map>"
        "$<INSTALL_INTERFACE:$<INSTALL_PREFIX>/${quon_package_dir}/describe-library.ld>")
    list(APPEND quon_installed_targets quon_runtime${build} quon_extension${build} quon_externlib${build})
endforeach()

# The host's target (CMakeLists.txt): the whole runtime with its headers.
set_target_properties(quon_host_runtime PROPERTIES EXPORT_NAME host_runtime)
target_include_directories(quon_host_runtime INTERFACE
    $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/quon>)
target_link_libraries(quon_host_runtime INTERFACE
    "$<BUILD_INTERFACE:$<LINK_LIBRARY:WHOLE_ARCHIVE,quon_runtime>>"
    "$<INSTALL_INTERFACE:$<LINK_LIBRARY:WHOLE_ARCHIVE,Quon::runtime>>")
target_include_directories(quon_runtime INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/quon>)
target_compile_features(quon_runtime INTERFACE cxx_std_20)
list(APPEND quon_installed_targets quon_host_runtime)

install(DIRECTORY platform memory strings hostabi diagnostics datatypes evaluator externlib
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quon
    FILES_MATCHING PATTERN "*.h")
install(FILES interface/LibraryBuilder.h interface/LibraryObject.h interface/QuonExtension.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quon/interface)
install(TARGETS ${quon_installed_targets} EXPORT QuonExternTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT QuonExternTargets NAMESPACE Quon:: DESTINATION ${quon_package_dir})

configure_package_config_file(cmake/QuonExternConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/QuonExternConfig.cmake
    INSTALL_DESTINATION ${quon_package_dir}
    PATH_VARS CMAKE_INSTALL_BINDIR)
# 0.x: a library built against one minor version needs the runtime of that minor version.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/QuonExternConfigVersion.cmake
    VERSION ${QUON_VERSION}
    COMPATIBILITY SameMinorVersion)
install(FILES
    cmake/QuonExtension.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/QuonExternConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/QuonExternConfigVersion.cmake
    interface/exports.map
    interface/describe-library.ld
    interface/load-order.ld
    DESTINATION ${quon_package_dir})

# The conformance kit: the case catalogue under the package's data folder, where an installed
# `quon-host conform` finds it (share/quon/conformance beside its bin folder).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/conformance/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quon/conformance
    FILES_MATCHING PATTERN "*.cases")

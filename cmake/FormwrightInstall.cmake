# Install rules: the libraries, their headers, a CMake package (find_package(Formwright)) and a
# pkg-config file, so that component packages build against an installed Formwright as any third
# party would. The same Formwright:: names exist in-tree, so in-tree packages need no install.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(FW_INSTALL_TARGETS basert)
set(FW_PC_LIBS "-lbasert")
if(TARGET tarn)
  list(APPEND FW_INSTALL_TARGETS tarn)
  set(FW_PC_LIBS "-ltarn ${FW_PC_LIBS}")
endif()
if(TARGET formwright_pkg)
  set_target_properties(formwright_pkg PROPERTIES EXPORT_NAME formwright)
  list(APPEND FW_INSTALL_TARGETS formwright_pkg)
  set(FW_PC_LIBS "-lformwright ${FW_PC_LIBS}")
endif()

target_compile_features(basert PUBLIC cxx_std_20)
foreach(target IN LISTS FW_INSTALL_TARGETS)
  get_target_property(export_name ${target} EXPORT_NAME)
  if(NOT export_name)
    set(export_name ${target})
  endif()
  add_library(Formwright::${export_name} ALIAS ${target})
  # Installed libraries find each other beside themselves.
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
endforeach()

install(TARGETS ${FW_INSTALL_TARGETS} EXPORT FormwrightTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/formwright)
# Headers keep their folder, as sources include them ("basert/component.h"); the host's side is
# not part of what packages build against.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/formwright
        FILES_MATCHING PATTERN "*.h" PATTERN "host" EXCLUDE)

set(FW_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Formwright)
install(EXPORT FormwrightTargets NAMESPACE Formwright:: DESTINATION ${FW_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/FormwrightConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/FormwrightConfig.cmake
                              INSTALL_DESTINATION ${FW_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/FormwrightConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/FormwrightConfig.cmake
              ${PROJECT_BINARY_DIR}/FormwrightConfigVersion.cmake
        DESTINATION ${FW_CMAKE_DIR})

configure_file(${PROJECT_SOURCE_DIR}/cmake/formwright.pc.in ${PROJECT_BINARY_DIR}/formwright.pc
               @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/formwright.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

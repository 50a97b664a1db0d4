# Installation: the public headers, the shared libraries, a CMake package (find_package(Veneer) gives
# Veneer::veneer and Veneer::framework) with a version file, and pkg-config files.
include(CMakePackageConfigHelpers)

set(VENEER_INSTALL_INCLUDE ${CMAKE_INSTALL_INCLUDEDIR})
set(VENEER_INSTALL_CMAKE ${CMAKE_INSTALL_LIBDIR}/cmake/Veneer)

# The public headers: veneer.h here, the framework's and the headless platform's where their
# targets are defined (veneer_public_headers), all under include/veneer.
install(FILES include/veneer/veneer.h DESTINATION ${VENEER_INSTALL_INCLUDE}/veneer)
set(_targets veneer veneer_framework)
if(VENEER_HEADLESS)
  list(APPEND _targets veneer_headless)
endif()

install(TARGETS ${_targets} EXPORT VeneerTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT VeneerTargets NAMESPACE Veneer:: DESTINATION ${VENEER_INSTALL_CMAKE})

configure_package_config_file(cmake/VeneerConfig.cmake.in ${PROJECT_BINARY_DIR}/VeneerConfig.cmake
                              INSTALL_DESTINATION ${VENEER_INSTALL_CMAKE})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VeneerConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VeneerConfig.cmake ${PROJECT_BINARY_DIR}/VeneerConfigVersion.cmake
        DESTINATION ${VENEER_INSTALL_CMAKE})

if(VENEER_HEADLESS)
  set(VENEER_PC_FRAMEWORK_REQUIRES "veneer-headless")
else()
  set(VENEER_PC_FRAMEWORK_REQUIRES "")
  set(VENEER_PC_SYSTEM_LIBS "-luser32 -lgdi32 -lmsimg32 -lpsapi")
endif()
# The pkg-config files find the prefix from their own place, so that an install with
# `cmake --install --prefix` elsewhere still gives the right paths.
file(RELATIVE_PATH VENEER_PC_TO_PREFIX "/veneer-root/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/veneer-root")
string(REGEX REPLACE "/$" "" VENEER_PC_TO_PREFIX "${VENEER_PC_TO_PREFIX}")
foreach(pc veneer veneer-framework veneer-headless)
  if(pc STREQUAL "veneer-headless" AND NOT VENEER_HEADLESS)
    continue()
  endif()
  configure_file(cmake/pkgconfig/${pc}.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# The shared libraries carry the project's one version; its major number is the SOVERSION.
function(veneer_library_version target)
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION})
  if(NOT WIN32)
    # Installed libraries find each other beside themselves.
    set_target_properties(${target} PROPERTIES SOVERSION ${PROJECT_VERSION_MAJOR} INSTALL_RPATH "$ORIGIN")
  endif()
endfunction()

# Warnings are errors on GCC and mingw, in Veneer's own targets only (an embedding project's
# compiler may warn about other things).
function(veneer_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Shared libraries must resolve every symbol at link time. Clang's sanitizer runtimes live in
# the executables only, so fuzzing builds leave the check out.
function(veneer_no_undefined target)
  if(NOT VENEER_FUZZ)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()

# Public headers of a target, included as <veneer/SUBDIR/NAME.h>. In the build tree they are
# linked into PROJECT_BINARY_DIR/include/veneer/SUBDIR, so that the library, its tests and its
# users see exactly the installed names and nothing else of the source tree; an install puts
# them in include/veneer/SUBDIR.
function(veneer_public_headers target subdir)
  set(staged ${PROJECT_BINARY_DIR}/include/veneer/${subdir})
  file(REMOVE_RECURSE ${staged})
  file(MAKE_DIRECTORY ${staged})
  foreach(header IN LISTS ARGN)
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${staged}/${header} COPY_ON_ERROR SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
                                              $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  if(VENEER_INSTALL)
    install(FILES ${ARGN} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/veneer/${subdir})
  endif()
endfunction()

# The shared libraries carry the project's one version; its major number is the SOVERSION.
function(veneer_library_version target)
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION})
  if(NOT WIN32)
    # Installed libraries find each other beside themselves.
    set_target_properties(${target} PROPERTIES SOVERSION ${PROJECT_VERSION_MAJOR} INSTALL_RPATH "$ORIGIN")
  endif()
endfunction()

# Warnings are errors on GCC and mingw.
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

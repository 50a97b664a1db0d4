# The compiler's runtime DLLs go beside the programs, so that Wine finds them in the
# program's own folder as Windows would.
set(_runtime_dlls libstdc++-6.dll libwinpthread-1.dll)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND _runtime_dlls libgcc_s_dw2-1.dll)
else()
  list(APPEND _runtime_dlls libgcc_s_seh-1.dll)
endif()
foreach(dll IN LISTS _runtime_dlls)
  if(NOT CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    break()  # inside another project, which places its programs and their DLLs itself
  endif()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${_path}")
    message(FATAL_ERROR "mingw runtime ${dll} not found")
  endif()
  file(COPY "${_path}" DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endforeach()
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 STRICT NOMINMAX WIN32_LEAN_AND_MEAN)

# Test programs run under Wine, in a prefix of this build's own.
if(CMAKE_CROSSCOMPILING)
  set(VENEER_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VENEER_WINE_LOADER /usr/lib/wine/wine)
  else()
    set(VENEER_WINE_LOADER /usr/lib/wine/wine64)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${PROJECT_BINARY_DIR}/wine-run.sh
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
                 @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run.sh)
endif()

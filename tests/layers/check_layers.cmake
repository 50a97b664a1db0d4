# Checks that the headless platform's areas include downwards only and that its private
# sub-folders stay private:
#   - a file in platform/headless/AREA/ includes headers of its own area or of areas below it
#     (kernel <- gdi <- user <- shell), never of an area above; the public headers belong to
#     the area that implements them (below), so this holds for them too;
#   - the public headers at the top of platform/headless/ include no private header and no
#     public header of an area above their own;
#   - no file outside platform/headless/ includes a private header of it.
# Run: cmake -DROOT=<tree> -P check_layers.cmake. Fails with the offending lines.
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source tree> -P check_layers.cmake")
endif()
set(areas kernel gdi user shell)
set(private_include "^[ \t]*#[ \t]*include[ \t]*[\"<](platform/headless/)?(kernel|gdi|user|shell)/")
set(public_include "^[ \t]*#[ \t]*include[ \t]*[\"<]veneer/headless/([a-z_0-9]+)\\.h")
# The area of each public header. testing.h declares hooks of every area over kernel types
# only; win32.h gathers them all, and ansi_names.h names over all of them.
set(public_kernel types kernel_base kernel_file kernel_process kernel_security testing)
set(public_gdi gdi gdi_text)
set(public_user user clipboard)
set(public_shell commctrl shell win32 ansi_names)  # ansi_names: generic names over every area
function(public_area name out)
  foreach(area IN ITEMS kernel gdi user shell)
    if(name IN_LIST public_${area})
      list(FIND areas ${area} r)
      set(${out} ${r} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} 99 PARENT_SCOPE)  # an unknown public header: listed above before it is used
endfunction()

file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/*.h ${ROOT}/*.cpp ${ROOT}/*.inc)
set(violations "")
set(checked 0)
foreach(file IN LISTS files)
  if(file MATCHES "^build" OR file MATCHES "^tests/layers/")
    continue()  # build trees, and this check's own planted faults
  endif()
  math(EXPR checked "${checked} + 1")
  if(file MATCHES "^platform/headless/([a-z]+)/")
    set(area ${CMAKE_MATCH_1})
    list(FIND areas ${area} rank)
  elseif(file MATCHES "^platform/headless/([a-z_0-9]+)\\.h$")
    public_area(${CMAKE_MATCH_1} public_rank)
    set(rank -2)  # a public header: no private include at all
  else()
    set(rank -1)  # outside the platform: no private include at all
  endif()
  file(STRINGS ${ROOT}/${file} includes REGEX "${private_include}")
  foreach(line IN LISTS includes)
    string(REGEX MATCH "${private_include}" hit "${line}")
    set(target_area ${CMAKE_MATCH_2})
    list(FIND areas ${target_area} target_rank)
    if(rank LESS 0 OR target_rank GREATER rank)
      string(APPEND violations "  ${file}: ${line}\n")
    endif()
  endforeach()
  # Public headers, by the area that implements them.
  if(rank EQUAL -1)
    continue()  # outside the platform any public header will do
  endif()
  if(rank EQUAL -2)
    set(own_rank ${public_rank})
  else()
    set(own_rank ${rank})
  endif()
  file(STRINGS ${ROOT}/${file} includes REGEX "${public_include}")
  foreach(line IN LISTS includes)
    string(REGEX MATCH "${public_include}" hit "${line}")
    public_area(${CMAKE_MATCH_1} target_rank)
    if(target_rank GREATER own_rank)
      string(APPEND violations "  ${file}: ${line}\n")
    endif()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no source files found under ${ROOT}")
endif()
if(violations)
  message(FATAL_ERROR "includes that point up or into the platform's private areas:\n${violations}")
endif()
message(STATUS "${checked} files: every include points down")

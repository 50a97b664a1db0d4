# Uses Veneer as a user would, three ways: installs the build into a fresh prefix and builds
# the consumer against it with find_package and with pkg-config, then builds the consumer with
# Veneer's source tree added as a subdirectory. Each consumer runs. The install must hold only
# public headers, all under include/veneer.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed")
endif()

file(GLOB top RELATIVE ${WORK}/prefix/include ${WORK}/prefix/include/*)
if(NOT top STREQUAL "veneer")
  message(FATAL_ERROR "the install's include folder holds more than veneer/: ${top}")
endif()
file(GLOB_RECURSE headers RELATIVE ${WORK}/prefix/include/veneer ${WORK}/prefix/include/veneer/*)
foreach(header IN LISTS headers)
  if(NOT header MATCHES "^(veneer\\.h|framework/[a-z_0-9]+\\.h|headless/[a-z_0-9]+\\.h)$")
    message(FATAL_ERROR "installed a header that is not public: ${header}")
  endif()
endforeach()

function(run step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${step} failed:\n${out}")
  endif()
  message("${step}: ok\n${out}")
endfunction()

# find_package
run("configuring against the install" ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/installed
    -DCMAKE_PREFIX_PATH=${WORK}/prefix -DCMAKE_BUILD_TYPE=Release)
run("building against the install" ${CMAKE_COMMAND} --build ${WORK}/installed)
run("the find_package consumer" ${WORK}/installed/consumer)

# pkg-config, with nothing but what the .pc files say
set(pc_dir ${WORK}/prefix/lib/pkgconfig)
if(NOT EXISTS ${pc_dir})
  file(GLOB pc_dir ${WORK}/prefix/lib/*/pkgconfig)
endif()
run("building with pkg-config" ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir}
    sh -c "c++ -std=c++20 ${SOURCE}/consumer.cpp $(pkg-config --cflags --libs veneer) -o ${WORK}/consumer-pc")
get_filename_component(libdir ${pc_dir} DIRECTORY)
run("the pkg-config consumer" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${WORK}/consumer-pc)

# add_subdirectory
run("configuring with Veneer's source tree inside" ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/embedded
    -DVENEER_SOURCE=${VENEER_ROOT} -DCMAKE_BUILD_TYPE=Release)
run("building with Veneer's source tree inside" ${CMAKE_COMMAND} --build ${WORK}/embedded -j2)
run("the add_subdirectory consumer" ${WORK}/embedded/consumer)

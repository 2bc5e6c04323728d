# The widget's package as a Qt developer uses it: installed into a scratch
# prefix, then the example in examples/embed-widget configured and built
# against it. Run by ctest as "widget_package":
#   cmake -DBUILD=<build dir> -DSOURCE=<source dir> -P tests/widget/package_test.cmake
cmake_minimum_required(VERSION 3.25)
set(scratch "${BUILD}/widget-package-test")
file(REMOVE_RECURSE "${scratch}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install "${BUILD}" --component ZVEmulWidget --prefix "${scratch}/prefix")
run(${CMAKE_COMMAND} -S "${SOURCE}/examples/embed-widget" -B "${scratch}/example" -G Ninja
    "-DCMAKE_PREFIX_PATH=${scratch}/prefix")
run(${CMAKE_COMMAND} --build "${scratch}/example")
if(NOT EXISTS "${scratch}/example/embed-zvemul")
  message(FATAL_ERROR "the example was not built")
endif()
file(REMOVE_RECURSE "${scratch}")

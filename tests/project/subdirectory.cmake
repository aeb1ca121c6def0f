# Configures the project inside another one, as add_subdirectory would take
# it, and checks that it finds its own files there: every source and resource
# (a path taken from the other project's folder would fail the generation),
# the tests' source folder, and the plug-in boards beside its own bin folder.
# Then, configured without the tests, that the instrument simulator is built.
#   cmake -DSOURCE=<this project> -DWORK=<scratch folder> -DGENERATOR=<name> -P subdirectory.cmake
foreach(var SOURCE WORK GENERATOR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/host)
file(WRITE ${WORK}/host/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(Host LANGUAGES CXX)
add_subdirectory(\"${SOURCE}\" orvane)
")

execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${WORK}/host -B ${WORK}/build -G ${GENERATOR}
          -DORVANE_BUILD_BENCH=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The project does not configure as a subdirectory:\n${output}")
endif()

file(READ ${WORK}/build/compile_commands.json commands)
# The definition stands there quoted for the shell and again for JSON.
string(REPLACE "\\" "" commands "${commands}")
string(FIND "${commands}" "ORVANE_SOURCE_DIR=\"${SOURCE}\"" at)
if(at EQUAL -1)
  message(FATAL_ERROR "The tests do not look for their files in ${SOURCE}")
endif()
if(NOT EXISTS ${WORK}/build/orvane/share/vesk/plg/VER150-AN.ini)
  message(FATAL_ERROR "The plug-in boards are not beside the project's own bin folder")
endif()

# Without the tests, as tools/run-librarian builds, the instrument simulator
# the README points to is still built (a dry run names what would be built).
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${WORK}/host -B ${WORK}/build -DORVANE_BUILD_TESTS=OFF
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(result EQUAL 0)
  execute_process(
    COMMAND ${CMAKE_COMMAND} --build ${WORK}/build --target instrument-sim -- -n
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Without the tests, no instrument simulator is built:\n${output}")
endif()
file(REMOVE_RECURSE ${WORK})

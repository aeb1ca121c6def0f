# Unity builds of the test executables. An area's test files compile a few to
# a translation unit: the compiler parses the headers and instantiates and
# instruments the templates and inline functions they share once per batch
# instead of once per file, which is most of what the sanitizer build of a
# test file costs. Every file still registers its own test objects under its
# own name, so ctest runs them one by one as before.
#
# Within an area, the files of a batch share one translation unit: their
# file-local names (anonymous namespaces, static functions, macros) must not
# clash. The batches follow the files' alphabetical order and shift as files
# come, so keep every file-local name of a test file distinct from those of
# the area's other files. A file that cannot be kept apart builds on its own
# when a line of it holds "unity: own file"; -DORVANE_UNITY_TESTS=OFF builds
# every file on its own.
#   orvane_unity_tests(<target>)
option(ORVANE_UNITY_TESTS "Compile each test area's files a few to a translation unit" ON)
set(ORVANE_UNITY_BATCH 8 CACHE STRING "Test files per translation unit of a unity build")

function(orvane_unity_tests target)
  if(NOT ORVANE_UNITY_TESTS)
    return()
  endif()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${ORVANE_UNITY_BATCH})
  # Every test file is an included file of its batch, so GCC would take a test
  # class holding a file-local type for a header's.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
  endif()
  get_target_property(sources ${target} SOURCES)
  foreach(src ${sources})
    get_filename_component(name ${src} NAME)
    if(name STREQUAL "TestRunner.cpp")
      set_source_files_properties(${src} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
      continue()
    endif()
    file(STRINGS ${src} own REGEX "unity: own file" LIMIT_COUNT 1)
    if(own)
      set_source_files_properties(${src} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endforeach()
endfunction()

# Meta-object code of the test executables. A test file declares its test
# classes itself and includes "<file>.moc" at its end. Automoc would run moc
# on each such file with every include path of the target, and moc then reads
# every header the file includes, Qt's too: about two seconds a file, minutes
# of a build. What moc writes for a test file depends on that file alone, so
# here moc reads the file and nothing else, as one build step per file.
# Keep a test file's test classes and the macros they use in the file itself.
#   orvane_moc_tests(<target> <test sources...>)
function(orvane_moc_tests target)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_moc)
  set(outputs)
  foreach(src ${ARGN})
    get_filename_component(name ${src} NAME_WE)
    set(out ${dir}/${name}.moc)
    add_custom_command(OUTPUT ${out}
      COMMAND Qt6::moc ${src} -o ${out}
      DEPENDS ${src} Qt6::moc
      COMMENT "moc ${name}.cpp"
      VERBATIM)
    list(APPEND outputs ${out})
  endforeach()
  set_source_files_properties(${outputs} PROPERTIES HEADER_FILE_ONLY ON SKIP_AUTOMOC ON)
  target_sources(${target} PRIVATE ${outputs})
  target_include_directories(${target} PRIVATE ${dir})
  set_target_properties(${target} PROPERTIES AUTOMOC OFF)
endfunction()

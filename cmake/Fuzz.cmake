# The fuzz build (tools/fuzz): clang only. The libraries get libFuzzer's
# coverage hooks without its main, the targets in fuzz/ link the fuzzer; both
# run under AddressSanitizer and UndefinedBehaviorSanitizer, and undefined
# behaviour stops the run like a crash.
if(ORVANE_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORVANE_BUILD_FUZZ needs clang (tools/fuzz configures it)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings on everywhere, and the sanitizer build of the test command.
add_compile_options(-Wall -Wextra)
if(ORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
# Keep Qt honest about old APIs and implicit string conversions from bytes.
add_compile_definitions(QT_NO_CAST_FROM_BYTEARRAY QT_DISABLE_DEPRECATED_UP_TO=0x060000)
if(ORVANE_SANITIZE AND CMAKE_BUILD_TYPE STREQUAL "Debug")
  add_compile_options(-O1)
endif()

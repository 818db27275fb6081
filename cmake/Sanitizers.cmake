# ZELTO2X_SANITIZE applies to every target of the build tree; ZELTO2X_FUZZ adds
# libFuzzer instrumentation (the fuzz drivers themselves link -fsanitize=fuzzer).
if(ZELTO2X_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(ZELTO2X_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT ZELTO2X_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ZELTO2X_SANITIZE must be empty, 'address' or 'thread'")
endif()

if(ZELTO2X_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZELTO2X_FUZZ needs clang (CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# One switch for a build that checks memory and undefined behaviour as the tests run:
# AddressSanitizer (with its leak checker) and UndefinedBehaviorSanitizer, every finding fatal so
# that a test with one fails instead of printing a line nobody reads. A libFuzzer build always
# has them on: a fuzz run without them finds only the faults that happen to crash.
option(TOBRIK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
# The list may be narrowed (e.g. "undefined" for a quicker run); clang 14 cannot link
# "leak,undefined" together.
set(TOBRIK_SANITIZERS "address,undefined" CACHE STRING "The -fsanitize list of a sanitizer build")

if(TOBRIK_SANITIZE OR TOBRIK_LIBFUZZER)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(FATAL_ERROR "TOBRIK_SANITIZE needs gcc or clang")
  endif()
  set(TOBRIK_SANITIZER_FLAGS -fsanitize=${TOBRIK_SANITIZERS} -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(${TOBRIK_SANITIZER_FLAGS})
  add_link_options(${TOBRIK_SANITIZER_FLAGS})
endif()

# The programs a user runs are built the way distributions build theirs: checked buffer functions
# (fortify), canaries against stack overwrites, and relocations made read-only before main runs
# (full RELRO: relro with bind-now). A sanitizer or fuzzing build checks more than these and
# gets in their way, so it goes without; fortify needs the optimiser, so a Debug build does too.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND NOT (TOBRIK_SANITIZE OR TOBRIK_LIBFUZZER))
  set(TOBRIK_FORTIFY_LEVEL 2)
  add_compile_options(-fstack-protector-strong
                      $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=${TOBRIK_FORTIFY_LEVEL}>)
  if(NOT APPLE)
    add_link_options(LINKER:-z,relro LINKER:-z,now)
  endif()
endif()
# Position-independent programs, so their addresses change from run to run.
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# The manual pages, compressed as Debian wants them (maximum compression, no timestamp, so the
# same page always makes the same bytes), into share/man/man1 of the build tree and of an
# installation; and tobrik-cli's bash completion, under the command's own name so that
# bash-completion loads it when the command is first completed.
# Unix only: gzip makes the pages, and bash is the shell there.
if(NOT UNIX)
  return()
endif()
include(GNUInstallDirs)
install(FILES data/tobrik-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tobrik-cli)

find_program(TOBRIK_GZIP gzip REQUIRED)
# Both pages share their environment and files sections.
set(TOBRIK_MAN_SOURCE_DIR ${CMAKE_SOURCE_DIR}/docs/man)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${TOBRIK_MAN_SOURCE_DIR}/environment.man ${TOBRIK_MAN_SOURCE_DIR}/files.man)
file(READ ${TOBRIK_MAN_SOURCE_DIR}/environment.man TOBRIK_MAN_ENVIRONMENT)
file(READ ${TOBRIK_MAN_SOURCE_DIR}/files.man TOBRIK_MAN_FILES)

set(TOBRIK_MAN_DIR ${CMAKE_BINARY_DIR}/share/man/man1)
set(TOBRIK_MAN_PAGES)
foreach(program Tobrik tobrik-cli)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  set(compressed ${TOBRIK_MAN_DIR}/${program}.1.gz)
  configure_file(${TOBRIK_MAN_SOURCE_DIR}/${program}.1.in ${page} @ONLY)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TOBRIK_MAN_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${page} ${TOBRIK_MAN_DIR}/${program}.1
    COMMAND ${TOBRIK_GZIP} -9nf ${TOBRIK_MAN_DIR}/${program}.1
    DEPENDS ${page}
    COMMENT "Compressing the manual page ${program}.1"
    VERBATIM)
  list(APPEND TOBRIK_MAN_PAGES ${compressed})
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${TOBRIK_MAN_PAGES})
install(FILES ${TOBRIK_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Run by CPack on the staged installation before it packs it: the compiler's version notes
# (.comment) go from the programs, as Debian's own packaging tools take them out; CPack's strip
# keeps them.
file(GLOB programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*)
foreach(program ${programs})
  execute_process(COMMAND objcopy --remove-section=.comment ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()

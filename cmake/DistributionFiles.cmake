# What a distribution wants beside the programs: the copyright file naming the licences, the
# changelog made from CHANGELOG.md, and the metadata software centres list the program by. They
# are laid out in the build tree as installed; the changelog needs bash, awk, date and gzip,
# which every system the package is made on has.
set(TOBRIK_DOC_DIR ${CMAKE_BINARY_DIR}/share/doc/tobrik)
set(TOBRIK_METAINFO ${CMAKE_BINARY_DIR}/share/metainfo/${TOBRIK_APPSTREAM_ID}.metainfo.xml)
string(SUBSTRING ${TOBRIK_RELEASE_DATE} 0 4 TOBRIK_COPYRIGHT_YEAR)
configure_file(data/copyright.in ${TOBRIK_DOC_DIR}/copyright @ONLY)
configure_file(data/tobrik.metainfo.xml.in ${TOBRIK_METAINFO} @ONLY)

# Compressed as Debian wants it: the best compression, and no time stamp, so that the same
# CHANGELOG.md always gives the same bytes.
set(TOBRIK_CHANGELOG ${TOBRIK_DOC_DIR}/changelog.gz)
add_custom_command(OUTPUT ${TOBRIK_CHANGELOG}
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/debian-changelog.sh ${CMAKE_SOURCE_DIR}/CHANGELOG.md
          tobrik "${TOBRIK_MAINTAINER}" | gzip -9n > ${TOBRIK_CHANGELOG}
  DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/scripts/debian-changelog.sh
  COMMENT "Making the package's changelog from CHANGELOG.md"
  VERBATIM)
add_custom_target(distribution_files ALL DEPENDS ${TOBRIK_CHANGELOG})

install(FILES ${TOBRIK_DOC_DIR}/copyright ${TOBRIK_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tobrik)
install(FILES ${TOBRIK_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# What lintian notes about the package that is so on purpose, each with its reason.
install(FILES data/tobrik.lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME tobrik)

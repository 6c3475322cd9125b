# The Debian package: `cpack -G DEB` in the build folder makes tobrik_VERSION_ARCH.deb from what
# `cmake --install` installs, under /usr, where the program finds its shared files without any
# variable set (/usr/share is among the default data folders, and it is also the share folder
# beside /usr/bin).
set(CPACK_PACKAGE_NAME tobrik)
set(CPACK_PACKAGE_VERSION ${TOBRIK_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "Tobrik project")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for model-railway decoders")
# Lines of at most 80 characters, as Debian's control files want them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Tobrik carries new firmware into model-railway decoders through a serial"
  "programmer (an update box, or an adapter switched into update-box mode)."
  "A wizard finds the programmer, picks the decoder's image out of a decoder"
  "software file and transfers it block by block with checksums,"
  "acknowledgements and retries. tobrik-cli does the same without windows,"
  "for scripts and checks.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TOBRIK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps its debug information; the package leaves it out.
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/StripPackageNotes.cmake)
# dpkg-shlibdeps (dpkg-dev) names the libraries the programs link. Qt's platform plugins are
# loaded at run time, out of its sight: X11 and offscreen come with libqt6gui6, the others
# with qt6-qpa-plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# Qt's own dialog buttons in German and French; without it they stay English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_GENERATOR DEB)
include(CPack)

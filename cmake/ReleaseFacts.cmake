# Facts about this release that the package, its metadata and its documents share.
# Who answers for Tobrik: the package's Maintainer, the metadata's developer and the manual
# pages' authors all come from here. The address is the one the project's commits are made under.
set(TOBRIK_MAINTAINER_NAME "Tobrik maintainers")
set(TOBRIK_MAINTAINER_EMAIL "maintainers@users.noreply.c-seed-40c136c8.example")
set(TOBRIK_MAINTAINER "${TOBRIK_MAINTAINER_NAME} <${TOBRIK_MAINTAINER_EMAIL}>")
# The project's web address, on the host of that commit address; the metadata's screenshots are
# the pictures in docs/images as published there. Software centres know the program by the
# address's host written backwards.
set(TOBRIK_HOMEPAGE "https://c-seed-40c136c8.example/tobrik")
set(TOBRIK_APPSTREAM_ID "example.c_seed_40c136c8.tobrik")
# The program writes its version with two-digit minor and patch numbers (1.24.07, as its info box
# shows it); the package, the metadata, the changelog and the manual pages spell it the same way.
# Debian compares 07 and 7 as the same number, so the package orders as before.
function(tobrik_two_digits number variable)
  if(number LESS 10)
    set(${variable} "0${number}" PARENT_SCOPE)
  else()
    set(${variable} "${number}" PARENT_SCOPE)
  endif()
endfunction()
tobrik_two_digits(${PROJECT_VERSION_MINOR} TOBRIK_MINOR_TEXT)
tobrik_two_digits(${PROJECT_VERSION_PATCH} TOBRIK_PATCH_TEXT)
set(TOBRIK_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${TOBRIK_MINOR_TEXT}.${TOBRIK_PATCH_TEXT}")

# The release date is that of the changelog's newest entry, which must be this version's: a
# version raised here without its entry, or the other way round, stops the build.
file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG.md TOBRIK_CHANGELOG_HEADINGS REGEX "^## ")
list(GET TOBRIK_CHANGELOG_HEADINGS 0 TOBRIK_NEWEST_ENTRY)
if(NOT TOBRIK_NEWEST_ENTRY MATCHES "^## ([^ ]+) \\(([0-9]+-[0-9]+-[0-9]+)\\)$"
   OR NOT CMAKE_MATCH_1 STREQUAL TOBRIK_VERSION_TEXT)
  message(FATAL_ERROR "CHANGELOG.md's newest entry \"${TOBRIK_NEWEST_ENTRY}\" is not "
                      "\"## ${TOBRIK_VERSION_TEXT} (YYYY-MM-DD)\"")
endif()
set(TOBRIK_RELEASE_DATE ${CMAKE_MATCH_2})

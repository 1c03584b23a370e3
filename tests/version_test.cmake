# SPDX-License-Identifier: MIT
# The Debian changelog's newest entry, the newest AppStream release and the manual pages name
# the project's version.
# Run as: cmake -DVERSION=... -DSOURCE=... -P version_test.cmake
file(STRINGS ${SOURCE}/debian/changelog top LIMIT_COUNT 1)
if(NOT top MATCHES "^quarl-editor \\(([^)]*)\\) " OR NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "debian/changelog begins with \"${top}\", not version ${VERSION}")
endif()
file(READ ${SOURCE}/packaging/org.example.QuarlEditor.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"([^\"]*)\"" OR NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "the newest AppStream release is \"${CMAKE_MATCH_1}\", not ${VERSION}")
endif()
foreach(page quarl-editor.1 quarl-mapgen.1)
  file(STRINGS ${SOURCE}/packaging/${page} title REGEX "^\\.TH ")
  if(NOT title MATCHES "\"quarl-[a-z]+ ([^\"]*)\"" OR NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "the manual page ${page} names version \"${CMAKE_MATCH_1}\", not ${VERSION}")
  endif()
endforeach()

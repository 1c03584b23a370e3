# SPDX-License-Identifier: MIT
# The changelog's newest entry and the newest AppStream release name the project's version.
# Run as: cmake -DVERSION=... -DSOURCE=... -P version_test.cmake
file(STRINGS ${SOURCE}/packaging/changelog top LIMIT_COUNT 1)
if(NOT top MATCHES "^quarl-editor \\(([^)]*)\\) " OR NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "packaging/changelog begins with \"${top}\", not version ${VERSION}")
endif()
file(READ ${SOURCE}/packaging/org.example.QuarlEditor.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"([^\"]*)\"" OR NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "the newest AppStream release is \"${CMAKE_MATCH_1}\", not ${VERSION}")
endif()

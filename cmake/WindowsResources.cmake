# SPDX-License-Identifier: MIT
# Gives a Windows program its version information, from the project's one version, and
# optionally an icon (an .ico file the build makes).
function(quarl_windows_resources target description)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "ICON" "")
  set(QUARL_RC_NAME ${target})
  set(QUARL_RC_DESCRIPTION "${description}")
  set(QUARL_RC_ICON "")
  if(arg_ICON)
    set(QUARL_RC_ICON "1 ICON \"${arg_ICON}\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/version.rc.in ${rc} @ONLY)
  if(arg_ICON)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${arg_ICON})
  endif()
  target_sources(${target} PRIVATE ${rc})
endfunction()

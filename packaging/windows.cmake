# SPDX-License-Identifier: MIT
# What the Windows zip and installer hold: the editor and quarl-mapgen, the Qt libraries and
# plugins they load, the MinGW runtime, the licences of everything shipped, and a README.
find_package(Qt6 6.8 REQUIRED COMPONENTS Widgets)
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
# Qt 6.8's Windows styles, the vista one and the Windows 11 one, in one plugin.
install(FILES $<TARGET_FILE:Qt6::QModernWindowsStylePlugin> DESTINATION styles)

# The compiler's runtime, found where the compiler itself finds it.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "The MinGW runtime ${dll} is not to be found")
  endif()
  install(FILES ${path} DESTINATION .)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION licences RENAME quarl-editor.txt)
install(FILES ${PROJECT_SOURCE_DIR}/debian/copyright DESTINATION licences
        RENAME quarl-editor-and-dejavu-fonts.txt)
# Qt's licence from the host's Qt package, named libqt6core6t64 since Debian 13.
file(GLOB qt_copyright /usr/share/doc/libqt6core6*/copyright)
list(GET qt_copyright 0 qt_copyright)
install(FILES ${qt_copyright} DESTINATION licences RENAME qt.txt)
# The Debian version of qt6-base that the Qt shipped here was built from, so that a Qt behind
# Debian's fixes shows.
if(NOT EXISTS "${QT_MINGW_PREFIX}/debian-version")
  message(FATAL_ERROR "${QT_MINGW_PREFIX}/debian-version does not say which qt6-base Qt is built from")
endif()
install(FILES ${QT_MINGW_PREFIX}/debian-version DESTINATION licences RENAME qt-debian-version.txt)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION licences
        RENAME gcc-runtime.txt)
install(FILES /usr/share/doc/mingw-w64-x86-64-dev/copyright DESTINATION licences
        RENAME mingw-w64-runtime.txt)
install(FILES /usr/share/common-licenses/LGPL-3 DESTINATION licences RENAME LGPL-3.txt)
install(FILES /usr/share/common-licenses/GPL-3 DESTINATION licences RENAME GPL-3.txt)
# With Windows' line ends, which every Notepad shows as lines.
configure_file(${PROJECT_SOURCE_DIR}/packaging/README-windows.txt ${CMAKE_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)

# Debian's MinGW runtime comes with its debugging information (libstdc++ alone is 23 MB with
# it): every program and library is stripped as it is installed.
find_program(MINGW_STRIP x86_64-w64-mingw32-strip REQUIRED)
install(CODE "
  file(GLOB_RECURSE binaries \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.exe\"
                             \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
  foreach(binary \${binaries})
    execute_process(COMMAND ${MINGW_STRIP} --strip-unneeded \${binary} COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
")

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME quarl-editor)
set(CPACK_PACKAGE_VENDOR "The Quarl editor developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the tile maps of a strategy game")
set(CPACK_PACKAGE_FILE_NAME quarl-editor-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Quarl editor")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_EXECUTABLES quarl-editor "Quarl editor")
# The Start-menu entry points where the programs are: beside their libraries, not in bin.
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
# Debian's makensis makes 32-bit installers unless told otherwise, and Wine runs only 64-bit.
# The installer keeps no file times, which would be the times of this build: the same source
# makes the same installer.
set(CPACK_NSIS_DEFINES "Target amd64-unicode\nSetDateSave off")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Quarl editor")
set(CPACK_NSIS_DISPLAY_NAME "Quarl editor ${PROJECT_VERSION}")
set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/src/ui/quarl-editor.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_BINARY_DIR}/src/ui/quarl-editor.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME quarl-editor.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/cpack-windows.cmake)
include(CPack)

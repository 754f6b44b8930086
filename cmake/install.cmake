# How the game installs: the program, its images, the menu entry, the icon, the manual page,
# the AppStream metadata and the Debian documents, and the .deb that cpack makes of them all.
# Included by the top-level CMakeLists for Linux builds, native or cross-built for arm64.
include(GNUInstallDirs)

# Debian keeps games in /usr/games; the images are then in ../share/rocket, as from bin/.
set(ROCKET_INSTALL_BINDIR games CACHE STRING "Where the program is installed, under the prefix")
set(ROCKET_APP_ID invalid.rocket.Rocket)  # the menu entry's, the icon's and AppStream's name
set(ROCKET_DATA_DIR ${CMAKE_INSTALL_DATADIR}/rocket)
set(dist ${PROJECT_SOURCE_DIR}/dist/linux)

# Installed, the game finds its images in the data folder relative to its own folder, so a copy
# under any prefix starts from any working directory.
file(RELATIVE_PATH data_from_program /${ROCKET_INSTALL_BINDIR} /${ROCKET_DATA_DIR})
target_compile_definitions(rocket_lib PRIVATE ROCKET_DATA_FROM_PROGRAM="${data_from_program}/")

# The release date is the changelog's: its top entry is this version, or the build stops here.
file(STRINGS ${dist}/changelog changelog_lines)
list(GET changelog_lines 0 top_entry)
if(NOT top_entry MATCHES "^rocket \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "dist/linux/changelog begins with '${top_entry}', not version ${PROJECT_VERSION}")
endif()
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
    string(LENGTH "${month}" digits)
    if(digits EQUAL 1)
      set(month 0${month})
    endif()
    set(ROCKET_RELEASE_DATE ${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1})
    break()
  endif()
endforeach()

configure_file(${dist}/rocket.desktop.in ${CMAKE_BINARY_DIR}/${ROCKET_APP_ID}.desktop @ONLY)
configure_file(${dist}/metainfo.xml.in ${CMAKE_BINARY_DIR}/${ROCKET_APP_ID}.metainfo.xml @ONLY)
configure_file(${dist}/rocket.6.in ${CMAKE_BINARY_DIR}/rocket.6 @ONLY)

# Debian's machine-readable copyright file carries the licence's terms from LICENSE, indented
# as a continuation of its License field.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE license_lines)
list(FILTER license_lines EXCLUDE REGEX "^(MIT License|Copyright .*)$")
set(terms "")
foreach(line IN LISTS license_lines)
  if(line STREQUAL "")
    string(APPEND terms " .\n")
  else()
    string(APPEND terms " ${line}\n")
  endif()
endforeach()
string(REGEX REPLACE "^ \\.\n" "" terms "${terms}")
file(WRITE ${CMAKE_BINARY_DIR}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: rocket\n"
  "\n"
  "Files: *\n"
  "Copyright: 2026 The rocket authors\n"
  "License: Expat\n"
  "${terms}")

# Gzipped at their best and without a time stamp, so the package is the same on every build.
foreach(source ${CMAKE_BINARY_DIR}/rocket.6 ${dist}/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}.gz
    COMMAND gzip -9 -n -c ${source} > ${CMAKE_BINARY_DIR}/${name}.gz
    DEPENDS ${source})
  list(APPEND gzipped ${CMAKE_BINARY_DIR}/${name}.gz)
endforeach()
add_custom_target(documents ALL DEPENDS ${gzipped})

install(TARGETS rocket RUNTIME DESTINATION ${ROCKET_INSTALL_BINDIR})
install(DIRECTORY ${ASSET_DIR}/ DESTINATION ${ROCKET_DATA_DIR}/assets FILES_MATCHING PATTERN "*.bmp")
install(FILES ${CMAKE_BINARY_DIR}/${ROCKET_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The menu entry starts the program by its name, which the package's /usr/games on the PATH
# answers. Installed into any other prefix (~/.local, /opt/rocket), whose games folder no PATH
# need hold, the entry names the program by its full path instead.
install(CODE "set(rocket_entry \"${CMAKE_INSTALL_DATADIR}/applications/${ROCKET_APP_ID}.desktop\")
  set(rocket_bindir \"${ROCKET_INSTALL_BINDIR}\")")
install(CODE [[
  if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    if(NOT IS_ABSOLUTE "${rocket_entry}")
      set(rocket_entry "${CMAKE_INSTALL_PREFIX}/${rocket_entry}")
    endif()
    set(exec "${CMAKE_INSTALL_PREFIX}/${rocket_bindir}/rocket")
    # A path with a character the Exec key reserves is quoted, its \ " ` $ escaped; then every
    # backslash is doubled once more for the key's string, and % doubled for its field codes.
    if(exec MATCHES "[ \t\n\"'\\\\><~|&;$*?#`()]")
      string(REPLACE "\\" "\\\\" exec "${exec}")
      string(REPLACE "\"" "\\\"" exec "${exec}")
      string(REPLACE "`" "\\`" exec "${exec}")
      string(REPLACE "$" "\\$" exec "${exec}")
      set(exec "\"${exec}\"")
    endif()
    string(REPLACE "\\" "\\\\" exec "${exec}")
    string(REPLACE "%" "%%" exec "${exec}")
    file(READ "$ENV{DESTDIR}${rocket_entry}" entry)
    string(REPLACE "\nExec=rocket\n" "\nExec=${exec}\n" entry "${entry}")
    file(WRITE "$ENV{DESTDIR}${rocket_entry}" "${entry}")
  endif()
]])
install(FILES ${CMAKE_BINARY_DIR}/rocket.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
  RENAME ${ROCKET_APP_ID}.png)
install(FILES ${CMAKE_BINARY_DIR}/${ROCKET_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/rocket.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_BINARY_DIR}/copyright ${CMAKE_BINARY_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Where lintian checks the AppStream metadata (from Debian 13 on), it says so of the one warning
# the game cannot mend yet, the homepage; the override names it, and only where this machine's
# lintian knows the tag: an older one calls an override of a tag it does not know an error.
execute_process(COMMAND lintian-explain-tags appstream-metadata-validation-failed
  RESULT_VARIABLE lintian_tag_unknown OUTPUT_QUIET ERROR_QUIET)
if(lintian_tag_unknown STREQUAL "0")
  install(FILES ${dist}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
    RENAME rocket)
endif()

# make package: a .deb whose dependencies dpkg-shlibdeps reads off the program.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "rocket maintainers <maintainers@rocket.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Steer a little rocket through open space with the arrow keys: it turns through\n"
  "sixteen headings, fires its thruster and keeps its momentum up to a top speed,\n"
  "while the camera follows it past three layers of parallax stars, three planets\n"
  "and a bouncing ball. The captain's eyes look out of the porthole the way you\n"
  "steer. Pixel art on a 320x180 canvas, scaled up sharp into a 1280x720 window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  # cpack names the build machine's architecture unless told; dpkg-shlibdeps then reads the
  # program with the cross binutils and finds its libraries among the arm64 ones, when run with
  # DEB_HOST_ARCH=arm64 (scripts/build-arm64 does).
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
include(CPack)

# The game for 64-bit Windows, cross-built by scripts/build-windows with mingw-w64: one
# rocket.exe holding SDL2 and the C and C++ runtimes, built for the GUI subsystem so that a
# double-click opens no console window, with the icon and version information as resources.
# Included by the top-level CMakeLists.
enable_language(RC)

set(ROCKET_ICON ${ROCKET_NATIVE_BUILD}/rocket.ico)
set(ROCKET_MANIFEST ${PROJECT_SOURCE_DIR}/dist/windows/rocket.manifest)
configure_file(${PROJECT_SOURCE_DIR}/dist/windows/rocket.rc.in ${CMAKE_BINARY_DIR}/rocket.rc @ONLY)

add_executable(rocket WIN32 src/core/main.cpp ${CMAKE_BINARY_DIR}/rocket.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/rocket.rc PROPERTIES
  OBJECT_DEPENDS "${ROCKET_ICON};${ROCKET_MANIFEST}")
# SDL2main supplies WinMain, which hands the command line to main as argc and argv.
target_link_libraries(rocket PRIVATE SDL2::SDL2main rocket_lib)
# Nothing to install beside the exe: libgcc, libstdc++ and winpthread linked in; symbols
# stripped.
# No link time in the PE header, so that every build of one commit is the same exe.
target_link_options(rocket PRIVATE -static -s -Wl,--no-insert-timestamp)
# Hardened with what mingw-w64 offers besides ASLR and NX (its linker's defaults): the stack
# protector and checked string and memory calls, their runtime linked in with the rest.
foreach(target rocket rocket_lib)
  target_compile_options(${target} PRIVATE -fstack-protector-strong)
  target_compile_definitions(${target} PRIVATE _FORTIFY_SOURCE=2)
endforeach()
target_link_options(rocket PRIVATE -fstack-protector-strong)

# make windows: what scripts/build-windows zips for a player to unpack and double-click. Text
# files get Windows line ends.
# (The controls' table is put in as it is, so its lines are given them first.)
string(REPLACE "\n" "\r\n" ROCKET_CONTROLS "${ROCKET_CONTROLS}")
configure_file(${PROJECT_SOURCE_DIR}/dist/windows/README.txt.in ${CMAKE_BINARY_DIR}/README.txt
  @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS rocket RUNTIME DESTINATION .)
install(DIRECTORY ${ROCKET_NATIVE_BUILD}/assets/ DESTINATION assets FILES_MATCHING PATTERN "*.bmp")
install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)

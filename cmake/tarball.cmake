# The game for the Linux tarball (scripts/build-tarball): one program that plays on any
# distribution with glibc 2.35 or later, needing nothing of the system but the C library at
# start. SDL2 (scripts/build-sdl2 linux) loads X11, Wayland and the sound servers itself where
# they are; the C++ runtime and GCC's are linked in. Included by the top-level CMakeLists.
target_link_options(rocket PRIVATE -static-libstdc++ -static-libgcc -Wl,--as-needed)
# Sections nothing calls are left out. This keeps the program's glibc floor at 2.35: the C++
# runtime's std::random_device calls arc4random, a function of glibc 2.36, and is pulled in,
# though the game never makes one, with the copy-on-write string that std::logic_error uses.
target_link_options(rocket PRIVATE -Wl,--gc-sections)
# SDL's headers are named relative to its install folder, which is wherever build-sdl2 keeps its
# cache: a build-id taken over the debug information would otherwise differ from home to home.
get_filename_component(sdl_prefix "${SDL2_DIR}/../../.." ABSOLUTE)
foreach(target rocket rocket_lib)
  target_compile_options(${target} PRIVATE "-ffile-prefix-map=${sdl_prefix}=sdl2")
endforeach()
# Started from a file manager or Steam, the game has no terminal to say why it cannot start in:
# it says so in a message box too, as on Windows.
target_compile_definitions(rocket_lib PRIVATE ROCKET_ERROR_BOX)

# What the tarball holds, in one folder: the program with its images beside it (where it looks
# for them), the icon, a README.txt for players and the licence.
configure_file(${PROJECT_SOURCE_DIR}/dist/tarball/README.txt.in ${CMAKE_BINARY_DIR}/README.txt @ONLY)
install(TARGETS rocket RUNTIME DESTINATION .)
install(DIRECTORY ${ASSET_DIR}/ DESTINATION assets FILES_MATCHING PATTERN "*.bmp")
install(FILES ${CMAKE_BINARY_DIR}/README.txt ${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/rocket.png
  DESTINATION .)

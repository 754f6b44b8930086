# The game in a browser, built by scripts/build-web through emcmake: the same game as a static
# page. Included by the top-level CMakeLists.
#
# ASYNCIFY lets the game's own frame loop and its 41 ms SDL_Delay run unchanged. Only the chain
# from main through the lists to the places the browser gets control back (SDL's wait, in the
# frame and in the quit's wait for the sound's fade, and its present, which yields for the
# screen to refresh) is rewritten for it, which keeps the
# download small; the loop reaches them only through virtual calls, so the list is by name. The
# runtime exits with the game, so the page learns that it ended; the JavaScript is minified by
# the Closure Compiler that scripts/build-web names. The game allocates little, nearly all of it
# as it starts, so the smaller of emscripten's two allocators serves.
set(asyncify_only ${CMAKE_CURRENT_LIST_DIR}/web/asyncify-only.json)
# SDL's own present is inlined into the game's with Debian 12's SDL 2.26 and emscripten, and is a
# function of its own on the chain with Debian 13's 2.32 (2.28 and 2.30 untried). It is named
# only where it is one: a name that matches nothing is warned of.
if(SDL2_VERSION VERSION_GREATER_EQUAL 2.28)
  file(READ ${asyncify_only} names)
  string(REPLACE "\n]" ",\n  \"SDL_RenderPresent\"\n]" names "${names}")
  set(asyncify_only ${CMAKE_BINARY_DIR}/asyncify-only.json)
  file(CONFIGURE OUTPUT ${asyncify_only} CONTENT "${names}" @ONLY)
endif()
set(assets ${ROCKET_NATIVE_BUILD}/assets)

# SDL's audio calls two of emscripten's library functions that nothing links in by itself: the
# helper that resumes an audio context on the player's first gesture, and dynCall. Their names
# begin with a $, which the link line would have to escape once for CMake and once more for
# make, so they are read from a file. The page itself resumes the sound on every later gesture
# and when it is shown again.
set(library_funcs ${CMAKE_CURRENT_LIST_DIR}/web/library-funcs.json)
set(web_options -sASYNCIFY "-sASYNCIFY_ONLY=@${asyncify_only}" --closure=1 -sENVIRONMENT=web
  -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1 "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${library_funcs}"
  -sMALLOC=emmalloc)

# A program of the page, on the game's code; the caller says how it gets the 49 images.
function(add_web_program name source)
  add_executable(${name} ${ARGN} ${source})
  target_link_libraries(${name} PRIVATE rocket_lib)
  set_target_properties(${name} PROPERTIES SUFFIX ".js"
    # The images are read at link time: painted anew, they make a new link.
    LINK_DEPENDS "${assets}/.stamp;${asyncify_only};${library_funcs}")
endfunction()

# The page's program, its images preloaded into the page's file system from rocket.data.
add_web_program(rocket src/core/main.cpp)
target_link_options(rocket PRIVATE ${web_options} "SHELL:--preload-file ${assets}@/assets")

# Opened as a file, a page may not fetch the files beside it: this copy carries its code and its
# images inside one script, which the page loads only then.
add_web_program(rocket_file src/core/main.cpp)
set_target_properties(rocket_file PROPERTIES OUTPUT_NAME rocket-file)
target_link_options(rocket_file PRIVATE ${web_options} -sSINGLE_FILE=1
  "SHELL:--embed-file ${assets}@/assets")

# The floor that make web-figures measures the page's start against.
add_web_program(rocket_floor bench/web_floor.cpp EXCLUDE_FROM_ALL)
target_link_options(rocket_floor PRIVATE ${web_options} "SHELL:--preload-file ${assets}@/assets")

configure_file(dist/web/index.html ${CMAKE_BINARY_DIR}/index.html COPYONLY)

# The same sources give the same bytes wherever they are built: the paths of the source and
# build trees are written relative in everything compiled (assertion reports, debug
# information), so an assertion names src/collision/poke.h. The compilers look at the last map
# given first, so a file under the tree matches the map with the slash before the tree's own.
# Included by the top-level CMakeLists for every build, the browser's and Windows's too.
set(prefix_maps "${PROJECT_SOURCE_DIR}=." "${PROJECT_SOURCE_DIR}/=")
string(FIND "${PROJECT_BINARY_DIR}/" "${PROJECT_SOURCE_DIR}/" binary_in_source)
if(NOT binary_in_source EQUAL 0)
  list(APPEND prefix_maps "${PROJECT_BINARY_DIR}=build" "${PROJECT_BINARY_DIR}/=build/")
endif()
foreach(map IN LISTS prefix_maps)
  add_compile_options("-ffile-prefix-map=${map}")
endforeach()

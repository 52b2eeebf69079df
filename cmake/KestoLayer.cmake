# One static library per layer of the program, with the layering enforced by
# the include paths.
#
# Code includes headers from the source root ("control/RichTextBox.h"), but
# the source root itself is on no include path. Each layer publishes an
# include root of its own in the build tree that holds a symbolic link to each
# of the layer's folders and nothing else; a library sees its own root and
# those of the layers it links. So an include of a folder from a layer above
# finds no file and the build stops. (A quoted include is also looked up next
# to the including file, but no folder holds a sub-folder named like a layer
# folder, so that lookup never finds one either.)
#
# Sources are taken from the layer's folders (not their sub-folders): a file
# belongs to the layer of its folder, and adding or moving a file needs no
# change here. Every header of the layer is also compiled once in a generated
# file, with the layer's include paths only, so that a header that no source
# of its own layer includes cannot reach above the layer either.
#
#   kesto_layer(<name> FOLDERS <folder>... [LINKS <target>...] [SOURCES <file>...])
# defines the library kesto_<name>; LINKS are linked PUBLIC (the layers below
# and the Qt modules the layer uses); SOURCES are further sources, such as
# resources.
function(kesto_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FOLDERS;LINKS;SOURCES")
  kesto_include_root(root ${name} ${arg_FOLDERS})
  set(sources)
  set(includes)
  foreach(folder IN LISTS arg_FOLDERS)
    file(GLOB folder_sources CONFIGURE_DEPENDS
         ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    list(APPEND sources ${folder_sources})
    file(GLOB folder_headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
         ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    foreach(header IN LISTS folder_headers)
      string(APPEND includes "#include \"${header}\"\n")
    endforeach()
  endforeach()
  # Written only when the list changes, so that a reconfigure rebuilds nothing.
  file(CONFIGURE OUTPUT ${root}.headers.cpp
       CONTENT "// Every header of the layer ${name}, compiled with the layer's include paths.\n${includes}"
       @ONLY)
  kesto_check_includes(checked ${root} ${sources})
  add_library(kesto_${name} STATIC ${sources} ${root}.headers.cpp ${checked} ${arg_SOURCES})
  target_include_directories(kesto_${name} PUBLIC ${root})
  target_link_libraries(kesto_${name} PUBLIC ${arg_LINKS})
endfunction()

# kesto_include_root(<variable> <name> <folder>...): makes the include root
# of that name, holding a link to each folder, and stores its path in
# <variable>.
function(kesto_include_root variable name)
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS ARGN)
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  set(${variable} ${root} PARENT_SCOPE)
endfunction()

# kesto_check_includes(<variable> <stamp base> <source>...): a build step that
# fails when one of the sources includes a header by a path with "../", and
# stores the step's output in <variable>, to be listed among a target's sources.
function(kesto_check_includes variable base)
  set(stamp ${base}.includes-checked)
  add_custom_command(OUTPUT ${stamp}
                     COMMAND ${CMAKE_COMMAND} "-DFILES=${ARGN}" -DSTAMP=${stamp}
                             -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
                     DEPENDS ${ARGN} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake VERBATIM)
  set(${variable} ${stamp} PARENT_SCOPE)
endfunction()

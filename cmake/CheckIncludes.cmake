# cmake -DFILES=<file;...> -DSTAMP=<file> -P CheckIncludes.cmake
# Fails when a source names a header by a path that climbs out of its folder
# ("../frame/MDIForm1.h"): such a path is looked up next to the including
# file, so it would reach any layer past the include roots that keep the
# layers apart.
foreach(file IN LISTS FILES)
  file(STRINGS "${file}" climbing REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\./")
  if(climbing)
    message(FATAL_ERROR "${file}: includes by a path with \"../\": ${climbing}\n"
                        "Name the header from the source root (\"folder/Header.h\").")
  endif()
endforeach()
file(TOUCH "${STAMP}")

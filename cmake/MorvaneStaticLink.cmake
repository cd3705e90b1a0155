# Programs that run once per file (morvane-cli) start fastest when nothing is left for the
# dynamic loader to map and relocate. Such a program sets the target property
# MORVANE_STATIC_LINK; the image libraries then come from their static archives and the program
# links statically. Everything else keeps the shared libraries.
#
# MORVANE_CAN_LINK_STATIC is true when every archive is installed (the Debian -dev packages ship
# them) and the C library links statically. Sanitizer builds never link statically.
include(CheckCXXSourceCompiles)

set(MORVANE_CAN_LINK_STATIC OFF)
set(morvane_static_archives_found ON)
foreach(name png16 jpeg deflate z)
  find_library(MORVANE_ARCHIVE_${name} NAMES lib${name}.a)
  if(NOT MORVANE_ARCHIVE_${name})
    set(morvane_static_archives_found OFF)
  endif()
endforeach()
if(morvane_static_archives_found AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize"
   AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(CMAKE_REQUIRED_LINK_OPTIONS -static)
  check_cxx_source_compiles("int main() { return 0; }" MORVANE_STATIC_LIBC_LINKS)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(MORVANE_STATIC_LIBC_LINKS)
    set(MORVANE_CAN_LINK_STATIC ON)
  endif()
endif()

# morvane_image_lib(VAR archive-name imported-target): the link item for one image library, the
# archive for a target with MORVANE_STATIC_LINK set and the imported target otherwise.
function(morvane_image_lib var name target)
  if(MORVANE_CAN_LINK_STATIC)
    set(${var}
        "$<IF:$<BOOL:$<TARGET_PROPERTY:MORVANE_STATIC_LINK>>,${MORVANE_ARCHIVE_${name}},${target}>"
        PARENT_SCOPE)
  else()
    set(${var} ${target} PARENT_SCOPE)
  endif()
endfunction()

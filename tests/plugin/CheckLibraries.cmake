# cmake -DMODULE=<plug-in .so> [-DALLOWED=<regex>] -P CheckLibraries.cmake
# Fails unless every library ldd lists for the module directly or through
# its dependencies is one every Linux desktop has: the C library and its
# loader, libm, libX11 and libXext (with what they load: xcb and the X
# authorisation libraries), FreeType and fontconfig (with what they load),
# and libpng, which the module decodes its pictures with and which FreeType
# itself loads on every system that has it. ALLOWED narrows the list for a
# module that needs less (a regular expression over the library names).
execute_process(COMMAND ldd ${MODULE} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ldd failed on ${MODULE}")
endif()
execute_process(COMMAND readelf -d ${MODULE} OUTPUT_VARIABLE dynamic)
string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dynamic}")
if(DEFINED ALLOWED)
  set(allowed "${ALLOWED}")
else()
  set(allowed "^(lib(c|m|X11|Xext|freetype|fontconfig|png16)\\.so|ld-linux)")
endif()
foreach(entry IN LISTS needed)
  string(REGEX REPLACE "Shared library: \\[([^]]+)\\]" "\\1" name "${entry}")
  if(NOT name MATCHES "${allowed}")
    message(SEND_ERROR "${MODULE} needs ${name}, which not every Linux desktop has")
  endif()
endforeach()
# What those load in turn must be found on this machine too.
if(listing MATCHES "not found")
  message(FATAL_ERROR "unresolved libraries:\n${listing}")
endif()
message(STATUS "needed: ${needed}\n${listing}")

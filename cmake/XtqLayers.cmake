# The program is built in layers, each a library in a folder of its own:
#
#   ui → document → regression, storage → formula → core
#
# A layer's headers are found only by the targets that link its library: the
# include root of a layer is a folder of the build tree that holds nothing but
# a link to the layer's source folder, and only the layer's own target adds
# it. An #include of a layer that a library does not link does not build.
#
# XTQ_SOURCE_ROOT must name the repository's top folder.

# xtq_layer_headers(target folder): `#include "folder/..."` for `target` and
# for whatever links it.
function(xtq_layer_headers target folder)
  set(root "${CMAKE_BINARY_DIR}/layers/${folder}")
  if(NOT IS_SYMLINK "${root}/${folder}")
    file(MAKE_DIRECTORY "${root}")
    file(CREATE_LINK "${XTQ_SOURCE_ROOT}/${folder}" "${root}/${folder}" SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC "${root}")
endfunction()

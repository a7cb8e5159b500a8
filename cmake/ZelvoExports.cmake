# zelvo_export_def(target def_file): a shared library whose exports other
# modules bind by name. The .def file names carry the 32-bit stdcall
# argument sizes; the i686 library is linked with --kill-at, so its exported
# names are plain, and the 64-bit build takes the names without the sizes.
function(zelvo_export_def target def_file)
  set(def ${def_file})
  if(NOT ZELVO_ARCH STREQUAL "i686")
    file(READ ${def_file} def_text)
    string(REGEX REPLACE "@[0-9]+" "" def_text "${def_text}")
    get_filename_component(def_name ${def_file} NAME)
    set(def ${CMAKE_CURRENT_BINARY_DIR}/${def_name})
    file(WRITE ${def} "${def_text}")
  endif()
  target_sources(${target} PRIVATE ${def})
  set_target_properties(${target} PROPERTIES PREFIX "")
  if(ZELVO_ARCH STREQUAL "i686")
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  endif()
endfunction()

# Lays out the sample demo disc in ${CMAKE_BINARY_DIR}/disc-layout, as the pressed disc holds it:
# setup.exe with its autorun file, the help file, the DirectX set-up library and the game at the
# root, the game's data under data\ in the seventeen folders the install copies. The 32-bit build
# also burns the layout into an ISO 9660 image, quillmoor.iso, beside it.
# Included from disc/CMakeLists.txt after the targets setup, dsetup and quillmain are defined.

# Not ${CMAKE_BINARY_DIR}/disc: that is the build directory of disc/ itself, full of build files
# that must not end up on the disc (and that the fresh layout below would wipe).
set(QUILL_DISC_DIR "${CMAKE_BINARY_DIR}/disc-layout")
set_property(GLOBAL PROPERTY QUILL_DISC_DIR "${QUILL_DISC_DIR}")
set(quill_disc_source "${CMAKE_CURRENT_LIST_DIR}")
set(quill_disc_stamp "${CMAKE_CURRENT_BINARY_DIR}/disc_layout.stamp")

# The sample data tree: plain files directly in data\ and the data folders, some nested.
file(GLOB_RECURSE quill_disc_data CONFIGURE_DEPENDS "${quill_disc_source}/data/*")

# Windows reads autorun.inf with CR LF line ends.
set(quill_disc_autorun "${CMAKE_CURRENT_BINARY_DIR}/autorun.inf")
file(GENERATE OUTPUT "${quill_disc_autorun}"
     CONTENT "[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\n")

# Root files: the programs come from their targets; a target or file not yet in the tree leaves
# its place on the disc empty rather than failing the whole layout.
set(quill_disc_copies "")
set(quill_disc_depends "${quill_disc_autorun}" ${quill_disc_data})
foreach(quill_disc_pair IN ITEMS "setup|setup.exe" "dsetup|dsetup.dll" "quillmain|quillmain.exe")
  string(REPLACE "|" ";" quill_disc_pair "${quill_disc_pair}")
  list(GET quill_disc_pair 0 quill_disc_target)
  list(GET quill_disc_pair 1 quill_disc_name)
  if(TARGET ${quill_disc_target})
    list(APPEND quill_disc_copies COMMAND ${CMAKE_COMMAND} -E copy
         "$<TARGET_FILE:${quill_disc_target}>" "${QUILL_DISC_DIR}/${quill_disc_name}")
    list(APPEND quill_disc_depends ${quill_disc_target})
  else()
    message(STATUS "disc: no target ${quill_disc_target} yet, ${quill_disc_name} left off the disc")
  endif()
endforeach()
if(EXISTS "${quill_disc_source}/readme.txt")
  list(APPEND quill_disc_copies COMMAND ${CMAKE_COMMAND} -E copy
       "${quill_disc_source}/readme.txt" "${QUILL_DISC_DIR}/readme.txt")
  list(APPEND quill_disc_depends "${quill_disc_source}/readme.txt")
else()
  message(STATUS "disc: no disc/readme.txt yet, the disc has no help file")
endif()

# The data tree is laid out afresh each time, so files dropped from disc/data leave the disc too.
add_custom_command(
  OUTPUT "${quill_disc_stamp}"
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${QUILL_DISC_DIR}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${QUILL_DISC_DIR}"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${quill_disc_source}/data" "${QUILL_DISC_DIR}/data"
  COMMAND ${CMAKE_COMMAND} -E copy "${quill_disc_autorun}" "${QUILL_DISC_DIR}/autorun.inf"
  ${quill_disc_copies}
  COMMAND ${CMAKE_COMMAND} -E touch "${quill_disc_stamp}"
  DEPENDS ${quill_disc_depends}
  COMMENT "Laying out the sample disc in ${QUILL_DISC_DIR}"
  VERBATIM)
set(quill_disc_outputs "${quill_disc_stamp}")

# The shipping build also gets the disc as an image, with Joliet names for Windows and Rock Ridge
# names for everything else.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  find_program(QUILL_XORRISO xorriso)
  if(QUILL_XORRISO)
    set(quill_disc_iso "${CMAKE_BINARY_DIR}/quillmoor.iso")
    add_custom_command(
      OUTPUT "${quill_disc_iso}"
      COMMAND ${CMAKE_COMMAND} -E rm -f "${quill_disc_iso}"
      COMMAND "${QUILL_XORRISO}" -as mkisofs -quiet -J -r -V QUILLMOOR -o "${quill_disc_iso}" "${QUILL_DISC_DIR}"
      DEPENDS "${quill_disc_stamp}"
      COMMENT "Writing the disc image ${quill_disc_iso}"
      VERBATIM)
    list(APPEND quill_disc_outputs "${quill_disc_iso}")
  else()
    message(STATUS "disc: xorriso not found, no disc image")
  endif()
endif()

add_custom_target(disc ALL DEPENDS ${quill_disc_outputs})

# The plug-in bundle: a folder laid out like a macOS component, with the shared
# module under Contents/Linux and every resource flat in Contents/Resources.
set(ZELTO2X_BUNDLE_NAME "Zelto2X Editor.component")
set(ZELTO2X_BUNDLE_DIR "${CMAKE_BINARY_DIR}/${ZELTO2X_BUNDLE_NAME}")
set(ZELTO2X_BUNDLE_BINARY_DIR "${ZELTO2X_BUNDLE_DIR}/Contents/Linux")
set(ZELTO2X_BUNDLE_RESOURCES_DIR "${ZELTO2X_BUNDLE_DIR}/Contents/Resources")
file(MAKE_DIRECTORY "${ZELTO2X_BUNDLE_BINARY_DIR}" "${ZELTO2X_BUNDLE_RESOURCES_DIR}")

# zelto_bundle_resources(FILES...): copies files flat into the bundle's Resources.
function(zelto_bundle_resources)
  foreach(f ${ARGN})
    get_filename_component(name "${f}" NAME)
    configure_file("${f}" "${ZELTO2X_BUNDLE_RESOURCES_DIR}/${name}" COPYONLY)
  endforeach()
endfunction()

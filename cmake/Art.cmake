# The wizard's pictures as resources of a Windows program: art/pictures.rc with the image bundle
# packed from the five progress pictures at build time.
set(TS_ART_DIR ${CMAKE_SOURCE_DIR}/art)
set(TS_ART_BUILD_DIR ${CMAKE_BINARY_DIR}/art)
set(TS_BUNDLE_PICTURES ${TS_ART_DIR}/progress_1.png ${TS_ART_DIR}/progress_2.png
    ${TS_ART_DIR}/progress_3.png ${TS_ART_DIR}/progress_4.png ${TS_ART_DIR}/progress_5.png)
file(GLOB TS_ART_FILES CONFIGURE_DEPENDS ${TS_ART_DIR}/*.png ${TS_ART_DIR}/*.bmp)
add_custom_command(OUTPUT ${TS_ART_BUILD_DIR}/bundle.bin
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TS_ART_BUILD_DIR}
  COMMAND bash ${TS_ART_DIR}/make-bundle ${TS_ART_BUILD_DIR}/bundle.bin ${TS_BUNDLE_PICTURES}
  DEPENDS ${TS_ART_DIR}/make-bundle ${TS_BUNDLE_PICTURES}
  COMMENT "Packing the image bundle")
add_custom_target(art_bundle DEPENDS ${TS_ART_BUILD_DIR}/bundle.bin)

# Gives TARGET the wizard's pictures.
function(ts_add_wizard_pictures target)
  target_sources(${target} PRIVATE ${TS_ART_DIR}/pictures.rc)
  set_property(SOURCE ${TS_ART_DIR}/pictures.rc TARGET_DIRECTORY ${target} APPEND PROPERTY
               INCLUDE_DIRECTORIES ${TS_ART_DIR} ${TS_ART_BUILD_DIR})
  set_property(SOURCE ${TS_ART_DIR}/pictures.rc TARGET_DIRECTORY ${target} APPEND PROPERTY
               OBJECT_DEPENDS ${TS_ART_BUILD_DIR}/bundle.bin ${TS_ART_FILES})
  add_dependencies(${target} art_bundle)
endfunction()

# The ready-to-copy folder: everything the tool needs on a clean 64-bit
# Windows (the executable, both DLLs, the pictures), nothing to install first,
# plus a zip of that folder. Both are remade whenever one of their files changes.
set(TOOL_PACKAGE_NAME Tavo_Ladu330_Pk27Tool)
set(TOOL_PACKAGE_DIR ${CMAKE_BINARY_DIR}/dist/${TOOL_PACKAGE_NAME})
set(TOOL_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/dist/${TOOL_PACKAGE_NAME}.zip)
file(GLOB TOOL_PACKAGE_PICTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/Image/*.png)

add_custom_command(
  OUTPUT ${TOOL_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TOOL_PACKAGE_DIR} ${TOOL_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOOL_PACKAGE_DIR}/Image
  COMMAND ${CMAKE_COMMAND} -E copy
          $<TARGET_FILE:Tavo_Ladu330_Pk27Tool> $<TARGET_FILE:Tavo_Common> $<TARGET_FILE:Tavo_DataProcess>
          ${TOOL_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${TOOL_PACKAGE_PICTURES} ${TOOL_PACKAGE_DIR}/Image
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/dist
          ${CMAKE_COMMAND} -E tar cf ${TOOL_PACKAGE_ZIP} --format=zip ${TOOL_PACKAGE_NAME}
  DEPENDS Tavo_Ladu330_Pk27Tool Tavo_Common Tavo_DataProcess ${TOOL_PACKAGE_PICTURES}
  COMMENT "Ready-to-copy folder and zip in dist/"
  VERBATIM)
add_custom_target(tool_package ALL DEPENDS ${TOOL_PACKAGE_ZIP})

# The zip holds exactly the folder, and every program in it needs only DLLs
# that come with Windows or with the folder itself.
find_program(TOOL_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME package_contents
  COMMAND ${CMAKE_COMMAND} -DZIP=${TOOL_PACKAGE_ZIP} -DNAME=${TOOL_PACKAGE_NAME} -DOBJDUMP=${TOOL_OBJDUMP}
          -DWORK=${CMAKE_BINARY_DIR}/package-check -P ${CMAKE_SOURCE_DIR}/cmake/CheckPackage.cmake)
set_tests_properties(package_contents PROPERTIES LABELS "windows;package")

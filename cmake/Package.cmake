# The ready-to-copy folder: everything the tool needs on a clean 64-bit
# Windows (the executable, both DLLs, the pictures, the console program
# zuv_cfg.exe for scripts), nothing to install first,
# plus a zip of that folder. Both are remade whenever one of their files changes.
set(TOOL_PACKAGE_NAME Tavo_Ladu330_Pk27Tool)
set(TOOL_PACKAGE_DIR ${CMAKE_BINARY_DIR}/dist/${TOOL_PACKAGE_NAME})
set(TOOL_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/dist/${TOOL_PACKAGE_NAME}.zip)
file(GLOB TOOL_PACKAGE_PICTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/Image/*.png)

# Users get the programs without their debug information (most of their
# size); it stays in dist/debug, one file per program, which each shipped
# program names in its .gnu_debuglink section, so a crash address can still
# be read with the shipped binary and that file.
set(TOOL_DEBUG_DIR ${CMAKE_BINARY_DIR}/dist/debug)
find_program(TOOL_OBJCOPY NAMES x86_64-w64-mingw32-objcopy REQUIRED)
set(strip_commands)
foreach(program Tavo_Ladu330_Pk27Tool Tavo_Common Tavo_DataProcess zuv_cfg)
  set(debug_file ${TOOL_DEBUG_DIR}/$<TARGET_FILE_NAME:${program}>.debug)
  list(APPEND strip_commands
    COMMAND ${TOOL_OBJCOPY} --only-keep-debug $<TARGET_FILE:${program}> ${debug_file}
    COMMAND ${TOOL_OBJCOPY} --strip-debug --strip-unneeded --add-gnu-debuglink=${debug_file}
            $<TARGET_FILE:${program}> ${TOOL_PACKAGE_DIR}/$<TARGET_FILE_NAME:${program}>)
endforeach()

add_custom_command(
  OUTPUT ${TOOL_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TOOL_PACKAGE_DIR} ${TOOL_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOOL_PACKAGE_DIR}/Image
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOOL_DEBUG_DIR}
  ${strip_commands}
  COMMAND ${CMAKE_COMMAND} -E copy ${TOOL_PACKAGE_PICTURES} ${TOOL_PACKAGE_DIR}/Image
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/dist
          ${CMAKE_COMMAND} -E tar cf ${TOOL_PACKAGE_ZIP} --format=zip ${TOOL_PACKAGE_NAME}
  DEPENDS Tavo_Ladu330_Pk27Tool Tavo_Common Tavo_DataProcess zuv_cfg ${TOOL_PACKAGE_PICTURES}
  COMMENT "Ready-to-copy folder and zip in dist/"
  VERBATIM)
add_custom_target(tool_package ALL DEPENDS ${TOOL_PACKAGE_ZIP})

# The zip holds exactly the folder, and every program in it needs only DLLs
# that come with Windows or with the folder itself.
find_program(TOOL_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME package_contents
  COMMAND ${CMAKE_COMMAND} -DZIP=${TOOL_PACKAGE_ZIP} -DNAME=${TOOL_PACKAGE_NAME} -DOBJDUMP=${TOOL_OBJDUMP}
          -DDEBUG_DIR=${TOOL_DEBUG_DIR} -DWORK=${CMAKE_BINARY_DIR}/package-check -P ${CMAKE_SOURCE_DIR}/cmake/CheckPackage.cmake)
set_tests_properties(package_contents PROPERTIES LABELS "windows;package")

# Unpacks the tool's zip into a scratch folder and checks what a user gets:
# the expected files and nothing else, and no import of a DLL that a clean
# Windows lacks; no debug information in what is shipped, and each program's
# debug information in its own file in DEBUG_DIR, named by the program's
# .gnu_debuglink. Run with cmake -P (see Package.cmake).
cmake_minimum_required(VERSION 3.25)
foreach(var ZIP NAME OBJDUMP DEBUG_DIR WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not given")
  endif()
endforeach()
if(NOT EXISTS "${ZIP}")
  message(FATAL_ERROR "no package at ${ZIP}")
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(ARCHIVE_EXTRACT INPUT "${ZIP}" DESTINATION "${WORK}")

file(GLOB_RECURSE found RELATIVE "${WORK}" "${WORK}/*")
list(SORT found)
set(expected
  "${NAME}/Image/HumanMotion.png"
  "${NAME}/Image/HumanMotionLess.png"
  "${NAME}/Image/HumanNobody.png"
  "${NAME}/Tavo_Common.dll"
  "${NAME}/Tavo_DataProcess.dll"
  "${NAME}/Tavo_Ladu330_Pk27Tool.exe"
  "${NAME}/zuv_cfg.exe")
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "package holds\n  ${found}\nexpected\n  ${expected}")
endif()

# DLLs of every 64-bit Windows 10 installation, plus our own two.
set(allowed
  advapi32.dll comctl32.dll comdlg32.dll gdi32.dll gdiplus.dll kernel32.dll msvcrt.dll ole32.dll
  oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll ws2_32.dll
  tavo_common.dll tavo_dataprocess.dll)
foreach(program "${NAME}/Tavo_Ladu330_Pk27Tool.exe" "${NAME}/Tavo_Common.dll" "${NAME}/Tavo_DataProcess.dll"
                "${NAME}/zuv_cfg.exe")
  execute_process(COMMAND "${OBJDUMP}" -p "${WORK}/${program}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${program}")
  endif()
  if(NOT dump MATCHES "file format pei-x86-64")
    message(FATAL_ERROR "${program} is not a 64-bit Windows program")
  endif()
  execute_process(COMMAND "${OBJDUMP}" -h "${WORK}/${program}" OUTPUT_VARIABLE sections RESULT_VARIABLE rc)
  if(sections MATCHES "[ \t](\\.debug_[a-z_]+)")
    message(FATAL_ERROR "${program} carries debug information (${CMAKE_MATCH_1})")
  endif()
  if(NOT sections MATCHES "\\.gnu_debuglink")
    message(FATAL_ERROR "${program} names no file with its debug information")
  endif()
  get_filename_component(file_name "${program}" NAME)
  execute_process(COMMAND "${OBJDUMP}" -h "${DEBUG_DIR}/${file_name}.debug" OUTPUT_VARIABLE kept RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT kept MATCHES "\\.debug_info")
    message(FATAL_ERROR "no debug information for ${program} in ${DEBUG_DIR}/${file_name}.debug")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  foreach(line IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST allowed)
      message(FATAL_ERROR "${program} needs ${dll}, which a clean Windows does not have")
    endif()
  endforeach()
endforeach()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "package ${ZIP}: ${found}")

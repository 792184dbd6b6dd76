# Unpacks the tool's zip into a scratch folder and checks what a user gets:
# the expected files and nothing else, and no import of a DLL that a clean
# Windows lacks. Run with cmake -P (see Package.cmake).
cmake_minimum_required(VERSION 3.25)
foreach(var ZIP NAME OBJDUMP WORK)
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
  "${NAME}/Tavo_Ladu330_Pk27Tool.exe")
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "package holds\n  ${found}\nexpected\n  ${expected}")
endif()

# DLLs of every 64-bit Windows 10 installation, plus our own two.
set(allowed
  advapi32.dll comctl32.dll comdlg32.dll gdi32.dll gdiplus.dll kernel32.dll msvcrt.dll ole32.dll
  oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll ws2_32.dll
  tavo_common.dll tavo_dataprocess.dll)
foreach(program "${NAME}/Tavo_Ladu330_Pk27Tool.exe" "${NAME}/Tavo_Common.dll" "${NAME}/Tavo_DataProcess.dll")
  execute_process(COMMAND "${OBJDUMP}" -p "${WORK}/${program}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${program}")
  endif()
  if(NOT dump MATCHES "file format pei-x86-64")
    message(FATAL_ERROR "${program} is not a 64-bit Windows program")
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

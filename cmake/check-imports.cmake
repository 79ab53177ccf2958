# Fails unless every library that PROGRAM imports is one that Windows takes from its system
# folder whatever lies beside the program: its known DLLs (the KnownDLLs list of the session
# manager), and comctl32, which the manifest binds side by side. Any other import is loaded
# before the program's first line runs, from the program's folder if one of that name lies
# there. Run as: cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe> -P check-imports.cmake
cmake_minimum_required(VERSION 3.25)
set(allowed
  advapi32.dll clbcatq.dll combase.dll comdlg32.dll coml2.dll difxapi.dll gdi32.dll
  gdiplus.dll imagehlp.dll imm32.dll kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll
  ole32.dll oleaut32.dll psapi.dll rpcrt4.dll sechost.dll setupapi.dll shcore.dll
  shell32.dll shlwapi.dll user32.dll wldap32.dll ws2_32.dll
  comctl32.dll)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
                OUTPUT_VARIABLE dump ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed: ${errors}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
set(imported "")
set(refused "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^DLL Name: *" "" name "${line}")
  string(STRIP "${name}" name)
  string(TOLOWER "${name}" name)
  list(APPEND imported ${name})
  if(NOT name IN_LIST allowed)
    list(APPEND refused ${name})
  endif()
endforeach()
# An import table read as empty would let anything through.
if(NOT "kernel32.dll" IN_LIST imported)
  message(FATAL_ERROR "No import of kernel32.dll read from ${PROGRAM}; objdump said:\n${dump}")
endif()
if(refused)
  list(JOIN refused ", " refused)
  message(FATAL_ERROR "${PROGRAM} imports ${refused}, which Windows would look for beside the "
                      "program first. Load such a library from the system folder on first use "
                      "(platform/system_library.h) instead.")
endif()

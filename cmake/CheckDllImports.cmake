# cmake -DOBJDUMP=... -DFILE=prog.exe -DKNOWN="a;b;..." -P CheckDllImports.cmake
# Fails when the program imports at start-up (its import table, not its delay-load imports) a
# DLL that is not a KnownDLL: Windows would look for that DLL in the program's own folder first.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} could not read ${FILE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(unsafe)
foreach(entry ${imports})
  string(REGEX REPLACE "^DLL Name: " "" dll "${entry}")
  string(TOLOWER "${dll}" dll)
  string(REGEX REPLACE "\\.dll$" "" base "${dll}")
  if(NOT base IN_LIST KNOWN)
    list(APPEND unsafe ${dll})
  endif()
endforeach()
if(unsafe)
  message(FATAL_ERROR "${FILE} imports ${unsafe} at start-up: such a DLL planted beside the "
          "program would be loaded before any of its code runs. Add it to "
          "TOUCH_DELAY_LOADED_DLLS in cmake/DllImports.cmake.")
endif()

# DLL planting: setup.exe runs elevated from a Downloads folder that holds whatever a web page
# saved there, and Windows looks for a DLL that is not a KnownDLL in the program's own folder
# first. Every such DLL the programs import is therefore linked for delay loading: it is loaded
# at its first call, after restrictDllSearchToSystem() (platform/win32/DllSafety.h) has limited
# the search to System32, never at start-up. Call sites stay plain calls.
#
#   touch_harden_dll_imports(TARGET)
#     links TARGET against the delay-load import libraries and checks, after every link, that
#     TARGET imports nothing at start-up but KnownDLLs. A new import of another DLL fails the
#     build: add the DLL to TOUCH_DELAY_LOADED_DLLS.
#
# The delay-load import libraries are made at build time from the toolchain's own import
# libraries: their exported names (nm) become a .def file, and dlltool --output-delaylib turns
# that into a library whose calls go through the MinGW runtime's __delayLoadHelper2. Functions
# a DLL exports only by ordinal are not covered (none of the GDI+ flat API is).

# Not KnownDLLs on every supported Windows; imported only through delay loading.
set(TOUCH_DELAY_LOADED_DLLS gdiplus comctl32)
# KnownDLLs of Windows 7 that are still KnownDLLs today: the only DLLs a program may import
# directly, as Windows loads them from System32 whatever lies beside the program.
set(TOUCH_KNOWN_DLLS advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf
    msvcrt normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32
    wldap32 ws2_32)

if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM OR NOT CMAKE_OBJDUMP)
  message(FATAL_ERROR "dlltool, nm and objdump of the MinGW toolchain are needed")
endif()
# 32-bit import libraries name __stdcall functions "_Name@N"; the DLL exports "Name".
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TOUCH_STDCALL_DECORATED ON)
  set(TOUCH_KILL_AT -k)
else()
  set(TOUCH_STDCALL_DECORATED OFF)
  set(TOUCH_KILL_AT)
endif()

set(TOUCH_DELAY_DIR ${CMAKE_BINARY_DIR}/delayimp)
set(TOUCH_DELAY_LIBS)
foreach(dll ${TOUCH_DELAY_LOADED_DLLS})
  find_library(TOUCH_IMPLIB_${dll} NAMES ${dll} REQUIRED)
  set(def ${TOUCH_DELAY_DIR}/${dll}.def)
  set(lib ${TOUCH_DELAY_DIR}/lib${dll}_delay.a)
  add_custom_command(
    OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPLIB=${TOUCH_IMPLIB_${dll}} -DDLL=${dll}.dll
            -DDEF=${def} -DDECORATED=${TOUCH_STDCALL_DECORATED}
            -P ${CMAKE_SOURCE_DIR}/cmake/MakeDelayDef.cmake
    COMMAND ${CMAKE_DLLTOOL} ${TOUCH_KILL_AT} -d ${def} -D ${dll}.dll -y ${lib}
    DEPENDS ${TOUCH_IMPLIB_${dll}} ${CMAKE_SOURCE_DIR}/cmake/MakeDelayDef.cmake
    COMMENT "Delay-load import library for ${dll}.dll"
    VERBATIM)
  list(APPEND TOUCH_DELAY_LIBS ${lib})
endforeach()
add_custom_target(touch_delay_import_libs DEPENDS ${TOUCH_DELAY_LIBS})
add_library(touch_delayed_imports INTERFACE)
target_link_libraries(touch_delayed_imports INTERFACE ${TOUCH_DELAY_LIBS})
# A function the SDK headers declare dllimport is called through its import pointer, and in a
# 32-bit delay-load library made by binutils 2.40 that pointer is never resolved (the call jumps
# to address 0). Without the import decoration the call goes through the library's own thunk,
# which resolves it. The GDI+ flat API carries no such decoration; the common controls do.
target_compile_definitions(touch_delayed_imports INTERFACE WINCOMMCTRLAPI=)

function(touch_harden_dll_imports target)
  target_link_libraries(${target} PRIVATE touch_delayed_imports)
  add_dependencies(${target} touch_delay_import_libs)
  add_custom_command(
    TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:${target}>
            "-DKNOWN=${TOUCH_KNOWN_DLLS}" -P ${CMAKE_SOURCE_DIR}/cmake/CheckDllImports.cmake
    VERBATIM)
endfunction()

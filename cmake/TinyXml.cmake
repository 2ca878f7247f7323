# TinyXML from Debian: the system library natively; for MinGW, Debian's patched source
# (fetched by scripts/fetch-tinyxml) compiled with the cross compiler. The fuzz build compiles
# the same source too, so that the fuzzers see inside the parser and the sanitizers watch it.
if(WIN32 OR TS_FUZZ)
  set(TS_TINYXML_SRC "${CMAKE_SOURCE_DIR}/build/deps/tinyxml" CACHE PATH "Debian tinyxml source")
  if(NOT EXISTS "${TS_TINYXML_SRC}/tinyxml.cpp")
    message(FATAL_ERROR "TinyXML source missing in ${TS_TINYXML_SRC}: run scripts/fetch-tinyxml")
  endif()
  add_library(tinyxml_lib STATIC
    ${TS_TINYXML_SRC}/tinyxml.cpp ${TS_TINYXML_SRC}/tinystr.cpp
    ${TS_TINYXML_SRC}/tinyxmlerror.cpp ${TS_TINYXML_SRC}/tinyxmlparser.cpp)
  target_include_directories(tinyxml_lib SYSTEM PUBLIC ${TS_TINYXML_SRC})
  target_compile_definitions(tinyxml_lib PUBLIC TIXML_USE_STL)
  target_compile_options(tinyxml_lib PRIVATE -w)
  # Its asserts are off, as in every release build: the fuzz build must run the shipped code.
  target_compile_definitions(tinyxml_lib PRIVATE NDEBUG)
else()
  find_library(TS_TINYXML_LIBRARY tinyxml REQUIRED)
  find_path(TS_TINYXML_INCLUDE tinyxml.h REQUIRED)
  add_library(tinyxml_lib INTERFACE)
  target_include_directories(tinyxml_lib SYSTEM INTERFACE ${TS_TINYXML_INCLUDE})
  target_link_libraries(tinyxml_lib INTERFACE ${TS_TINYXML_LIBRARY})
endif()

# zstd from Debian's source package (fetched by scripts/fetch-zstd), compiled into every build
# alike, so that the native and the Windows pkgtool write the same bytes and the fuzz build sees
# inside the decoder. Only the zstd format itself: no legacy formats (a package never holds
# them, and a decoder that does not know them cannot be steered into them), no hand-written
# assembly (ELF only), no tracing hooks, no threads (the output must not depend on them).
set(TS_ZSTD_SRC "${CMAKE_SOURCE_DIR}/build/deps/zstd" CACHE PATH "Debian zstd library source")
if(NOT EXISTS "${TS_ZSTD_SRC}/zstd.h")
  message(FATAL_ERROR "zstd source missing in ${TS_ZSTD_SRC}: run scripts/fetch-zstd")
endif()
file(GLOB TS_ZSTD_SOURCES ${TS_ZSTD_SRC}/common/*.c ${TS_ZSTD_SRC}/compress/*.c
     ${TS_ZSTD_SRC}/decompress/*.c)
add_library(zstd_lib STATIC ${TS_ZSTD_SOURCES})
target_include_directories(zstd_lib SYSTEM PUBLIC ${TS_ZSTD_SRC})
target_compile_definitions(zstd_lib PRIVATE ZSTD_LEGACY_SUPPORT=0 ZSTD_DISABLE_ASM=1 ZSTD_TRACE=0
                           NDEBUG)
# Optimised in every build: a debug build of the encoder would make each package build crawl.
target_compile_options(zstd_lib PRIVATE -w -O2)

# Benchmarks of the Windows build, run under Wine: Debian's Google Benchmark source (fetched by
# scripts/fetch-benchmark) compiled with the cross compiler, one program per bench/windows/*.cpp,
# each carrying the wizard's pictures.
set(TS_BENCHMARK_SRC "${CMAKE_SOURCE_DIR}/build/deps/benchmark" CACHE PATH "Debian benchmark source")
if(NOT EXISTS "${TS_BENCHMARK_SRC}/CMakeLists.txt")
  message(FATAL_ERROR "Google Benchmark source missing in ${TS_BENCHMARK_SRC}: run scripts/fetch-benchmark")
endif()
set(BENCHMARK_ENABLE_TESTING OFF CACHE BOOL "" FORCE)
set(BENCHMARK_ENABLE_GTEST_TESTS OFF CACHE BOOL "" FORCE)
set(BENCHMARK_ENABLE_INSTALL OFF CACHE BOOL "" FORCE)
set(BENCHMARK_ENABLE_WERROR OFF CACHE BOOL "" FORCE)
set(BENCHMARK_INSTALL_DOCS OFF CACHE BOOL "" FORCE)
# Debian's source does not ask git for its version; "0.0.0" makes it take the project's own.
set(GIT_VERSION "0.0.0")
add_subdirectory(${TS_BENCHMARK_SRC} ${CMAKE_BINARY_DIR}/benchmark EXCLUDE_FROM_ALL)
file(GLOB TS_WINDOWS_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/windows/*.cpp)
foreach(src ${TS_WINDOWS_BENCHES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  ts_add_wizard_pictures(${name})
  target_compile_options(${name} PRIVATE ${TS_WARNINGS})
  target_link_libraries(${name} PRIVATE touchos touchfakes benchmark::benchmark)
  target_link_options(${name} PRIVATE -static)
endforeach()

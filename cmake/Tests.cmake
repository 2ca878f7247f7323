# Test tiers. Native: unit tests against the fakes, the benchmark, the fuzz smoke runs.
# Windows: tests of the Win32 layer on real files, and the end-to-end runs of the real .exe,
# all under Wine through the crosscompiling emulator.
include(GoogleTest)

if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  file(GLOB TS_WIN_TESTS CONFIGURE_DEPENDS tests/windows/*.cpp tests/support/*.cpp)
  # Resources of the test program (windres finds the files they name below tests/windows).
  enable_language(RC)
  file(GLOB TS_WIN_TEST_RESOURCES CONFIGURE_DEPENDS tests/windows/*.rc)
  add_executable(windows_tests ${TS_WIN_TESTS} ${TS_WIN_TEST_RESOURCES})
  set_property(SOURCE ${TS_WIN_TEST_RESOURCES} APPEND PROPERTY INCLUDE_DIRECTORIES
               ${CMAKE_SOURCE_DIR}/tests/windows)
  target_compile_options(windows_tests PRIVATE ${TS_WARNINGS})
  target_link_libraries(windows_tests PRIVATE touchos touchfakes gmock gtest_main)
  target_link_options(windows_tests PRIVATE -static)
  gtest_discover_tests(windows_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
  add_subdirectory(tests/fixtures)
  add_subdirectory(tests/stub)

  # The wizard's pages drawn by the real GDI+: a program of its own that carries the wizard's
  # pictures the way setup.exe does, plus the demo licence texts.
  include(cmake/Art.cmake)
  file(GLOB TS_WIZARD_TESTS CONFIGURE_DEPENDS tests/windows/wizard/*.cpp)
  file(GLOB TS_WIZARD_TEST_RESOURCES CONFIGURE_DEPENDS tests/windows/wizard/*.rc)
  add_executable(wizard_tests ${TS_WIZARD_TESTS} ${TS_WIZARD_TEST_RESOURCES})
  set_property(SOURCE ${TS_WIZARD_TEST_RESOURCES} APPEND PROPERTY INCLUDE_DIRECTORIES
               ${CMAKE_SOURCE_DIR})
  ts_add_wizard_pictures(wizard_tests)
  target_compile_options(wizard_tests PRIVATE ${TS_WARNINGS})
  target_compile_definitions(wizard_tests PRIVATE TS_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                             TS_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_link_libraries(wizard_tests PRIVATE touchos touchfakes gmock gtest_main)
  target_link_options(wizard_tests PRIVATE -static)
  # The folder chooser waits for a key: only tests/e2e/folder_picker.sh runs that test.
  gtest_discover_tests(wizard_tests DISCOVERY_TIMEOUT 120 TEST_FILTER "-FolderPicker.*"
                       PROPERTIES TIMEOUT 300)
  if(TS_BENCH)
    include(cmake/WindowsBenchmarks.cmake)
  endif()

  file(GLOB TS_E2E_TESTS CONFIGURE_DEPENDS tests/e2e/*.sh)  # lib.bash is shared, not a test
  foreach(script ${TS_E2E_TESTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e.${name} COMMAND bash ${script} ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
    # 77: the test could not check what it is about on this system, and says why.
    set_tests_properties(e2e.${name} PROPERTIES TIMEOUT 600 RUN_SERIAL ON SKIP_RETURN_CODE 77)
    # Five whole installations through the wizard and six more runs: on a shared 2-core machine
    # under load that took over ten minutes.
    if(name STREQUAL "setup_wizard")
      set_tests_properties(e2e.${name} PROPERTIES TIMEOUT 1800)
    endif()
    # The 64-bit test build runs its scripts under wine64 in a prefix of its own; the scripts
    # ask tests/e2e/lib.bash which folders and registry view that means.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      set_tests_properties(e2e.${name} PROPERTIES ENVIRONMENT "TS_WINE_BITS=64;TS_SHIPPED_BUILD=${CMAKE_SOURCE_DIR}/build/windows")
    endif()
  endforeach()
elseif(TS_TSAN)
  # Only the tests that put the workers on real threads; everything else runs single-threaded
  # in the other tiers.
  find_package(GTest REQUIRED)
  file(GLOB TS_RACE_TESTS CONFIGURE_DEPENDS tests/race/*.cpp tests/support/*.cpp)
  add_executable(race_tests ${TS_RACE_TESTS})
  target_compile_options(race_tests PRIVATE ${TS_WARNINGS})
  target_link_libraries(race_tests PRIVATE touchos touchfakes GTest::gmock GTest::gtest_main)
  target_compile_definitions(race_tests PRIVATE TS_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(race_tests PROPERTIES TIMEOUT 600
                       ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1 second_deadlock_stack=1")
else()
  find_package(GTest REQUIRED)
  file(GLOB TS_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*.cpp tests/support/*.cpp)
  # The test build's simulated USB bus is portable: its tests run here too.
  add_executable(native_tests ${TS_NATIVE_TESTS} app/setup/SimulatedUsbBus.cpp
                              app/setup/SimulatedPackage.cpp)
  target_compile_options(native_tests PRIVATE ${TS_WARNINGS})
  target_link_libraries(native_tests PRIVATE touchos touchfakes pkgtool_manifest GTest::gmock
                                               GTest::gtest_main)
  target_compile_definitions(native_tests PRIVATE TS_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  # The failure sweeps run the whole installation once per system call; under the sanitizers
  # they take about a minute on an idle 2-core machine and twice that on a busy one.
  if(TS_SANITIZE)
    set(TS_NATIVE_TEST_TIMEOUT 600)
  else()
    set(TS_NATIVE_TEST_TIMEOUT 120)
  endif()
  gtest_discover_tests(native_tests PROPERTIES TIMEOUT ${TS_NATIVE_TEST_TIMEOUT})

  file(GLOB TS_TOOL_TESTS CONFIGURE_DEPENDS tests/tools/*.sh)
  foreach(script ${TS_TOOL_TESTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME tool.${name} COMMAND bash ${script} $<TARGET_FILE:pkgtool> ${CMAKE_SOURCE_DIR})
  endforeach()

  if(TS_FUZZ)
    # Executions of each smoke run (corpus replay included): a few seconds on a shared 2-core
    # machine. A target much slower per input than the others gets its own count.
    set(TS_FUZZ_SMOKE_RUNS 20000 CACHE STRING "Executions of each fuzz smoke run")
    set(TS_FUZZ_SMOKE_RUNS_settings_fuzz 4000)
    set(TS_FUZZ_SMOKE_RUNS_device_broadcast_fuzz 10000)
    set(TS_FUZZ_SMOKE_RUNS_manifest_fuzz 10000)
    set(TS_FUZZ_SMOKE_RUNS_licence_view_fuzz 10000)
    set(TS_FUZZ_SMOKE_RUNS_pe_resources_fuzz 8000)
    set(TS_FUZZ_SMOKE_RUNS_compressed_package_fuzz 8000)
    set(TS_FUZZ_SMOKE_RUNS_file_codec_fuzz 8000)
    file(GLOB TS_FUZZERS CONFIGURE_DEPENDS fuzz/*.cpp)
    foreach(src ${TS_FUZZERS})
      get_filename_component(name ${src} NAME_WE)
      add_executable(${name} ${src})
      target_compile_options(${name} PRIVATE ${TS_WARNINGS} -fsanitize=fuzzer)
      target_link_options(${name} PRIVATE -fsanitize=fuzzer)
      target_link_libraries(${name} PRIVATE touchos touchfakes pkgtool_manifest)
      # A short reproducible run: no crash, no leak, no read outside the input.
      set(runs ${TS_FUZZ_SMOKE_RUNS})
      if(DEFINED TS_FUZZ_SMOKE_RUNS_${name})
        set(runs ${TS_FUZZ_SMOKE_RUNS_${name}})
      endif()
      add_test(NAME fuzz.${name}
               COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/fuzz-smoke.sh $<TARGET_FILE:${name}>
                       ${CMAKE_BINARY_DIR}/fuzz-smoke/${name} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name}
                       ${runs})
      set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 300)
    endforeach()
  endif()

  if(TS_BENCH AND NOT TS_SANITIZE)
    find_package(benchmark REQUIRED)
    file(GLOB TS_BENCHES CONFIGURE_DEPENDS bench/*.cpp)
    foreach(src ${TS_BENCHES})
      get_filename_component(name ${src} NAME_WE)
      add_executable(${name} ${src})
      target_compile_options(${name} PRIVATE ${TS_WARNINGS})
      target_link_libraries(${name} PRIVATE touchos touchfakes benchmark::benchmark)
    endforeach()
  endif()
endif()

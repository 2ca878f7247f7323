#!/usr/bin/env bash
# scripts/check-tier, which stands in for the 32-bit tier where it cannot run, on a made-up
# source tree and build: it passes a sound one and names each kind of drift it is there to
# catch. Arguments: PKGTOOL SOURCE_DIR.
source "$(dirname "$0")/helpers.bash" && [ -d "${work:-}" ] || { echo "FAIL: no scratch folder"; exit 1; }

tree=$work/src build32=$work/b32 build64=$work/b64
mkdir -p "$tree/tests/e2e" "$tree/scripts/lib" "$build32/setup" "$build64"
cp "$src/scripts/wine-env" "$tree/scripts/"
cp "$src/scripts/lib/wine-session.bash" "$tree/scripts/lib/"
cat >"$tree/tests/e2e/lib.bash" <<'SH'
build=$1 src=$2
if [ "${TS_WINE_BITS:-32}" = 64 ]; then
  program_files='Program Files'
else
  program_files='Program Files (x86)'
fi
SH
cat >"$tree/tests/e2e/one.sh" <<'SH'
source "$(dirname "$0")/lib.bash" "$@"
# the product's folder, as it's shown
folder="C:\\$program_files\\Brenmark"
w "$build/setup/setup.exe" /S '$notexpanded'
check "installed" test -d "$(unix "$folder")"
finish
SH
# A PE header: "MZ", the PE offset at 0x3c, "PE\0\0" and the machine field.
pe() { # pe FILE MACHINE_HEX_LE (e.g. '\x4c\x01' for i386) [STRINGS...]
  local f=$1 m=$2
  shift 2
  { printf 'MZ'; head -c 58 /dev/zero; printf '\x40\x00\x00\x00'; printf 'PE\0\0'"$m"
    for s; do printf '%s\0' "$s"; done; } >"$f"
}
pe "$build32/setup/setup.exe" '\x4c\x01'
pe "$build32/windows_tests.exe" '\x4c\x01' Files Reads Writes
cat >"$build32/CTestTestfile.cmake" <<CM
include("$build32/windows_tests[1]_include.cmake")
add_test([=[e2e.one]=] "bash" "$tree/tests/e2e/one.sh" "$build32" "$tree")
CM
cat >"$build64/windows_tests[1]_tests.cmake" <<'CM'
add_test( [=[Files.Reads]=] wine64-run windows_tests.exe [==[--gtest_filter=Files.Reads]==])
add_test( [=[Files.Writes]=] wine64-run windows_tests.exe [==[--gtest_filter=Files.Writes]==])
CM
check() { "$src/scripts/check-tier" "$build32" "$tree" "$build64"; }

run check
expect_eq "$rc" 0 "a sound tier passes"
expect_match "$out" "check-tier: 5 passed, 0 failed" "every check counted"
expect_match "$out" "the 2 tests of windows_tests the 64-bit tier found are in the 32-bit program" \
  "the 64-bit tier's test list is looked for in the 32-bit program"

# A test compiled out of the 32-bit program.
printf 'add_test( [=[Files.Renames]=] x)\n' >>"$build64/windows_tests[1]_tests.cmake"
run check
expect_eq "$rc" 1 "a test missing from the 32-bit program fails"
expect_match "$out" "missing: Files.Renames" "and is named"
sed -i '/Renames/d' "$build64/windows_tests[1]_tests.cmake"

# A test program built 64-bit where the tier is 32-bit.
pe "$build32/windows_tests.exe" '\x64\x86' Files Reads Writes
run check
expect_match "$out" "FAIL 32-bit tier: windows_tests.exe is built, 32-bit" "a 64-bit test program fails"
pe "$build32/windows_tests.exe" '\x4c\x01' Files Reads Writes

# A script CTest does not run.
cp "$tree/tests/e2e/one.sh" "$tree/tests/e2e/two.sh"
run check
expect_match "$out" "not registered: two" "a script CTest does not run is named"
rm "$tree/tests/e2e/two.sh"

# A name set for one tier only, read by a script.
sed -i "s|^  program_files='Program Files'$|&\n  script_arch='process=AMD64'|" "$tree/tests/e2e/lib.bash"
run check
expect_match "$out" "64-bit only: script_arch" "a name the 32-bit row lacks is named"
sed -i '/script_arch/d' "$tree/tests/e2e/lib.bash"

# A misspelt name and a program the 32-bit build does not make.
sed -i 's|\$program_files\\\\Brenmark|$programfiles\\\\Brenmark|; s|setup/setup.exe|setup/setup-usbsim.exe|' \
  "$tree/tests/e2e/one.sh"
run check
expect_eq "$rc" 1 "a drifting script fails"
expect_match "$out" "read but never set: programfiles" "the misspelt name is named (not the quoted one)"
expect_match "$out" "not in the 32-bit build: setup/setup-usbsim.exe" "the missing program is named"
[[ $out == *notexpanded* ]] && fail "a name in single quotes is no expansion"

finish

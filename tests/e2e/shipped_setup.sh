#!/usr/bin/env bash
# The shipped setup.exe carries neither the simulated USB bus, the wizard trace nor the
# LocalSystem stand-in of its test build: it asks Windows for the touch device and who runs it,
# and writes nothing beside itself. The same search on setup-usbsim.exe must find each, or the
# search itself proves nothing. Both are
# large-address-aware: a payload of a gigabyte and more leaves the 32-bit process too little
# address space without it: that is asked of the 32-bit build's files even when the tier is the
# 64-bit test build (TS_SHIPPED_BUILD names the 32-bit build then).
# Arguments: BUILD_DIR SOURCE_DIR.
set -uo pipefail
build=$(cd "$1" && pwd)
failures=0
check() { # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
not() { ! "$@"; }
# holds FILE TEXT: the program's bytes hold TEXT as UTF-16, as the program keeps its strings.
holds() {
  local pattern
  pattern=$(printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n' |
    sed 's/../\\x&/g')
  LC_ALL=C grep -qaP -- "$pattern" "$1"
}
shipped=$build/setup/setup.exe
test_build=$build/setup/setup-usbsim.exe
for text in "SIMULATED#ROOT_HUB" "wizard-trace.txt" "usbsim-package.bin" "as-localsystem.txt"; do
  check "the test build holds \"$text\"" holds "$test_build" "$text"
  check "the shipped setup.exe does not hold \"$text\"" not holds "$shipped" "$text"
done
# large_address_aware FILE: IMAGE_FILE_LARGE_ADDRESS_AWARE (0x20) in the COFF characteristics.
large_address_aware() {
  local pe flags
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  flags=$(od -An -tu2 -j$((pe + 22)) -N2 "$1" | tr -d ' ')
  [ $((flags & 0x20)) -ne 0 ]
}
shipped_build=${TS_SHIPPED_BUILD:-$build}
for exe in "$shipped_build/setup/setup.exe" "$shipped_build/setup/setup-usbsim.exe"; do
  [ -f "$exe" ] || { echo "FAIL: no 32-bit $exe (build the windows preset first)"; exit 1; }
  check "$(basename "$exe") is large-address-aware" large_address_aware "$exe"
done
if [ "$failures" -ne 0 ]; then echo "FAIL: $failures checks failed"; exit 1; fi
echo "PASS"

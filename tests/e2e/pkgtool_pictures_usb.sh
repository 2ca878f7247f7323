#!/usr/bin/env bash
# The Windows pkgtool under Wine: a bundle built from the test pictures lists each picture with
# the size GDI+ decodes, and the USB walk reports no touch device on a machine without USB.
set -uo pipefail
build=$1
src=$2
source "$src/scripts/wine-env"
pkgtool="$build/tools/pkgtool.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
run() { timeout 120 wine "$pkgtool" "$@" </dev/null; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }

cp "$src/tests/windows/data/tiny.bmp" "$src/tests/windows/data/tiny.png" "$work/"
printf 'BMnot really a bitmap' >"$work/fake.bmp"
run bundle "$(winpath "$work/b.bin")" "$(winpath "$work/tiny.png")" "$(winpath "$work/tiny.bmp")" \
  "$(winpath "$work/fake.bmp")" 2>"$work/err" || { echo "FAIL: bundle"; cat "$work/err"; fail=1; }
run bundle-list "$(winpath "$work/b.bin")" 2>"$work/err" | tr -d '\r' >"$work/list"
expected=$(printf '0\t94\t6x4\n1\t78\t3x2\n2\t21\tundecodable')
[ "$(cat "$work/list")" = "$expected" ] || { echo "FAIL: bundle-list gave:"; cat "$work/list"; fail=1; }

run usb 2>"$work/err" | tr -d '\r' >"$work/usb"
[ "$(cat "$work/usb")" = "touch devices: 0" ] || { echo "FAIL: usb gave:"; cat "$work/usb" "$work/err"; fail=1; }
exit $fail

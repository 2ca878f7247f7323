#!/usr/bin/env bash
# pkgtool usb on a system without the USB I/O control interface: one line saying so, exit 1.
# A package that cannot be read fails before that.
set -uo pipefail
pkgtool=$1
out=$("$pkgtool" usb 2>&1 >/dev/null)
rc=$?
fail=0
[ $rc -eq 1 ] || { echo "FAIL: exit $rc, expected 1"; fail=1; }
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] && grep -q "not available" <<<"$out" ||
  { echo "FAIL: message: $out"; fail=1; }
"$pkgtool" usb one two >/dev/null 2>&1
[ $? -eq 2 ] || { echo "FAIL: two arguments are a usage error"; fail=1; }
# The package whose devices are counted is read before the walk: one that cannot be read is
# named as such, not taken for "no device".
out=$("$pkgtool" usb /nonexistent/package.bin 2>&1 >/dev/null)
rc=$?
[ $rc -eq 1 ] || { echo "FAIL: a missing package: exit $rc, expected 1"; fail=1; }
grep -q "not available" <<<"$out" && { echo "FAIL: a missing package: $out"; fail=1; }
exit $fail

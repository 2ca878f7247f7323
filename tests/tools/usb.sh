#!/usr/bin/env bash
# pkgtool usb on a system without the USB I/O control interface: one line saying so, exit 1.
set -uo pipefail
pkgtool=$1
out=$("$pkgtool" usb 2>&1 >/dev/null)
rc=$?
fail=0
[ $rc -eq 1 ] || { echo "FAIL: exit $rc, expected 1"; fail=1; }
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] && grep -q "not available" <<<"$out" ||
  { echo "FAIL: message: $out"; fail=1; }
"$pkgtool" usb extra >/dev/null 2>&1
[ $? -eq 2 ] || { echo "FAIL: an argument is a usage error"; fail=1; }
exit $fail

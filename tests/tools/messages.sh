#!/usr/bin/env bash
# pkgtool messages LANGID: the reviewed texts of every language, byte for byte; English for any
# unlisted LANGID; a usage error for anything that is not a LANGID.
set -uo pipefail
pkgtool=$1
source_dir=$2
expected="$source_dir/tests/tools/messages"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for langId in 2052 1033 1040 1031 1042; do
  "$pkgtool" messages "$langId" | cmp -s - "$expected/$langId.txt" ||
    fail "messages $langId differs from $expected/$langId.txt"
done
for langId in 3082 0 65535 00002052; do
  out=$("$pkgtool" messages "$langId" | cut -f3)
  want=$(cut -f3 "$expected/1033.txt")
  [ "$langId" = 00002052 ] && want=$(cut -f3 "$expected/2052.txt")
  [ "$out" = "$want" ] || fail "messages $langId: wrong language"
done

lines=$("$pkgtool" messages 1042 | wc -l)
[ "$lines" -eq 24 ] || fail "messages 1042 printed $lines lines"

for bad in "" abc -1 65536 0x0804 "1033 "; do
  "$pkgtool" messages "$bad" >/dev/null 2>&1
  rc=$?
  [ "$rc" -eq 2 ] || fail "messages '$bad' exited $rc, want 2"
done
"$pkgtool" messages >/dev/null 2>&1
[ $? -eq 2 ] || fail "messages without LANGID should exit 2"

[ "$failures" -eq 0 ] && echo "messages: all checks passed"
exit "$failures"

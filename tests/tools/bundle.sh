#!/usr/bin/env bash
# pkgtool bundle and bundle-list on real files: layout of the bundle, refusals, truncation.
set -uo pipefail
pkgtool=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }

bmp=$src/tests/windows/data/tiny.bmp
png=$src/tests/windows/data/tiny.png
bmpSize=$(stat -c %s "$bmp")
pngSize=$(stat -c %s "$png")

# Two pictures: count, then size and bytes of each, in the order given.
"$pkgtool" bundle "$work/two.bin" "$bmp" "$png" 2>"$work/err"
check "bundle of two succeeds" '[ $? -eq 0 ] && [ ! -s "$work/err" ]'
check "bundle size" '[ "$(stat -c %s "$work/two.bin")" -eq $((4 + 4 + bmpSize + 4 + pngSize)) ]'
check "count field" '[ "$(od -An -tu4 -N4 "$work/two.bin" | tr -d " ")" = 2 ]'
check "second size field" \
  '[ "$(od -An -tu4 -j$((8 + bmpSize)) -N4 "$work/two.bin" | tr -d " ")" = "$pngSize" ]'
check "pictures copied whole" \
  'cmp -s <(tail -c "$pngSize" "$work/two.bin") "$png" && cmp -s <(head -c $((8 + bmpSize)) "$work/two.bin" | tail -c "$bmpSize") "$bmp"'

"$pkgtool" bundle-list "$work/two.bin" >"$work/out" 2>"$work/err"
check "bundle-list succeeds" '[ $? -eq 0 ]'
check "bundle-list lines" \
  '[ "$(cut -f1,2 "$work/out")" = "$(printf "0\t%s\n1\t%s" "$bmpSize" "$pngSize")" ]'

# Ten is the most a bundle holds; eleven are refused with one line and nothing written.
ten=()
for i in $(seq 10); do ten+=("$bmp"); done
"$pkgtool" bundle "$work/ten.bin" "${ten[@]}" 2>"$work/err"
check "ten pictures accepted" '[ $? -eq 0 ] && [ "$("$pkgtool" bundle-list "$work/ten.bin" | wc -l)" -eq 10 ]'
"$pkgtool" bundle "$work/eleven.bin" "${ten[@]}" "$png" 2>"$work/err"
check "eleven refused" '[ $? -eq 1 ] && [ ! -e "$work/eleven.bin" ]'
check "eleven: one line" '[ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "at most 10" "$work/err"'

# A file that is neither BMP nor PNG, an empty file and a missing file are refused.
printf 'just some text\n' >"$work/notes.txt"
: >"$work/empty.bmp"
for bad in "$work/notes.txt" "$work/empty.bmp"; do
  "$pkgtool" bundle "$work/bad.bin" "$bmp" "$bad" 2>"$work/err"
  check "refused $bad" '[ $? -eq 1 ] && [ ! -e "$work/bad.bin" ]'
  check "refusal names $bad" '[ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "is not a BMP or PNG" "$work/err"'
done
"$pkgtool" bundle "$work/bad.bin" "$work/missing.png" 2>"$work/err"
check "missing picture refused" '[ $? -eq 1 ] && [ ! -e "$work/bad.bin" ]'
"$pkgtool" bundle "$work/none.bin" 2>"$work/err"
check "no picture is a usage error" '[ $? -eq 2 ] && [ ! -e "$work/none.bin" ]'

# A bundle cut inside its second picture lists the first and says what is missing.
head -c $((8 + bmpSize + 4 + 10)) "$work/two.bin" >"$work/cut.bin"
"$pkgtool" bundle-list "$work/cut.bin" >"$work/out" 2>"$work/err"
check "cut bundle exits 1" '[ $? -eq 1 ]'
check "cut bundle lists the whole picture" '[ "$(cut -f1,2 "$work/out")" = "$(printf "0\t%s" "$bmpSize")" ]'
check "cut bundle explains" 'grep -q "declares 2 pictures, 1 can be read" "$work/err"'
"$pkgtool" bundle-list "$work/missing.bin" >/dev/null 2>&1
check "missing bundle exits 1" '[ $? -eq 1 ]'

exit $fail

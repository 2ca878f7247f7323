#!/usr/bin/env bash
# The same manifest and files give the same bytes: built twice, and built from a copy of the
# payload whose files were created in the opposite order at other times. Siblings go in the
# byte order of their UTF-16LE names, whatever the folder listing says.
source "$(dirname "$0")/helpers.bash"

"$pkgtool" build "$demo/manifest.xml" -o "$work/a.bin" || fail "first build"
"$pkgtool" build "$demo/manifest.xml" -o "$work/b.bin" || fail "second build"
cmp -s "$work/a.bin" "$work/b.bin" || fail "two builds of the demo differ"

# The same payload, every folder and file created in reverse order, with other times.
mkdir -p "$work/copy/payload"
(cd "$demo/payload" && find . -mindepth 1 -type d | sort -r) | while read -r d; do
  mkdir -p "$work/copy/payload/$d"
done
(cd "$demo/payload" && find . -type f | sort -r) | while read -r f; do
  cp "$demo/payload/$f" "$work/copy/payload/$f"
  touch -d "2001-02-03 04:05:06" "$work/copy/payload/$f"
done
cp "$demo/manifest.xml" "$work/copy/manifest.xml"
"$pkgtool" build "$work/copy/manifest.xml" -o "$work/c.bin" || fail "build of the copy"
cmp -s "$work/a.bin" "$work/c.bin" || fail "the reordered payload gives other bytes"

# Names outside ASCII: the order is that of the UTF-16LE bytes (low byte first): U+0100 (00 01),
# "B" (42 00), "a", "a.b", U+8BF4 (F4 8B), U+00FF (FF 00). Created here in another order.
mkdir -p "$work/u/payload"
for name in "$(printf '\xc3\xbf')" a "$(printf '\xc4\x80')" B "$(printf '\xe8\xaf\xb4').txt" a.b; do
  printf '%s' "$name" >"$work/u/payload/$name"
done
printf '<InstallerPackage root="R" payload="payload"><Company name="C"/><Product name="R"/></InstallerPackage>\n' >"$work/u/manifest.xml"
"$pkgtool" build "$work/u/manifest.xml" -o "$work/u.bin" || fail "build with non-ASCII names"
# list shows the root files last read first: the reverse of the entry order.
run "$pkgtool" list "$work/u.bin"
expected=$(printf '2\t\xc3\xbf\n7\t\xe8\xaf\xb4.txt\n3\ta.b\n1\ta\n1\tB\n2\t\xc4\x80')
expect_eq "$out" "$expected" "entry order of non-ASCII names"

finish

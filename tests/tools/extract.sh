#!/usr/bin/env bash
# extract writes the tree the way the installation does: folders first, then every file.
source "$(dirname "$0")/helpers.bash"

"$pkgtool" build "$demo/manifest.xml" -o "$work/demo.bin" || fail "demo build"
run "$pkgtool" extract "$work/demo.bin" "$work/out"
expect_eq "$rc:$err" "0:" "extract"
diff -r "$demo/payload" "$work/out" >&2 || fail "extracted tree differs from the payload"

# Over an existing tree: every file is overwritten, other files stay.
printf 'stale' >"$work/out/KorvelPanel.exe"
printf 'mine' >"$work/out/notes.txt"
run "$pkgtool" extract "$work/demo.bin" "$work/out/"
expect_eq "$rc:$err" "0:" "extract again"
cmp -s "$demo/payload/KorvelPanel.exe" "$work/out/KorvelPanel.exe" || fail "file not overwritten"
expect_eq "$(cat "$work/out/notes.txt")" "mine" "other file kept"

# Only one folder level is created: under a missing parent the first write fails.
run "$pkgtool" extract "$work/demo.bin" "$work/missing/out"
expect_eq "$rc" "1" "missing parent: exit code"
expect_match "$err" "^pkgtool: cannot write " "missing parent: message"

# An empty file comes out empty.
mkdir -p "$work/e/payload/sub"
: >"$work/e/payload/sub/empty.dat"
printf '<InstallerPackage root="R" payload="payload"><Company name="C"/><Product name="R"/></InstallerPackage>\n' >"$work/e/manifest.xml"
"$pkgtool" build "$work/e/manifest.xml" -o "$work/e.bin" || fail "build with an empty file"
run "$pkgtool" extract "$work/e.bin" "$work/e/out"
expect_eq "$rc:$(wc -c <"$work/e/out/sub/empty.dat" 2>&1)" "0:0" "empty file"

finish

#!/usr/bin/env bash
# The demo package lists exactly as expected: every file from the head of the installer's
# file list, and the install configuration with every list in reverse record order.
source "$(dirname "$0")/helpers.bash"

run "$pkgtool" build "$demo/manifest.xml" -o "$work/package.bin"
expect_eq "$rc:$out:$err" "0::" "build of the demo"

# A licence for language 0 that the installer will show: UTF-16LE with its byte-order mark.
expect_eq "$(head -c 2 "$demo/payload/License.txt" | od -An -tx1 | tr -d ' ')" "fffe" \
  "licence byte-order mark"

run "$pkgtool" list "$work/package.bin"
expect_eq "$rc:$err" "0:" "list"
expect_file_eq "$work/stdout" "$src/tests/tools/expected/demo-list.txt" "list output"

run "$pkgtool" script "$work/package.bin"
expect_eq "$rc:$err" "0:" "script"
expect_file_eq "$work/stdout" "$src/tests/tools/expected/demo-script.txt" "script output"

# The container as the installer checks it: totalSize's top bit says the files are compressed
# and the other 31 bits are L + F + 4 (so an installer that does not know the bit finds a size
# that does not add up); records from offset 8; then the product's identity block ("TPID",
# format 1, its size) fills the rest of the file. --store makes the package without the bit.
check_container() { # check_container FILE FLAG
  local file=$1 size total script_size block_size
  u32() { od -An -tu4 -j "$1" -N 4 "$file" | tr -d ' '; }
  size=$(wc -c <"$file")
  total=$(u32 0)
  expect_eq "$((total >> 31))" "$2" "the compressed flag of $file"
  total=$((total & 0x7FFFFFFF))
  script_size=$(u32 4)
  block_size=$(u32 $((4 + script_size)))
  expect_eq "$((script_size + block_size + 4))" "$total" "L + F + 4"
  expect_eq "$(od -An -c -j "$total" -N 4 "$file" | tr -d ' ')" "TPID" "identity magic"
  expect_eq "$(od -An -tu2 -j $((total + 4)) -N 2 "$file" | tr -d ' ')" "1" "identity format"
  expect_eq "$((total + $(u32 $((total + 6)))))" "$size" "the identity block ends the file"
  expect_eq "$(od -An -tx1 -j 8 -N 2 "$file" | tr -d ' ')" "007e" "first record"
}
check_container "$work/package.bin" 1
run "$pkgtool" build "$demo/manifest.xml" -o "$work/stored.bin" --store
expect_eq "$rc:$out:$err" "0::" "build of the demo, stored"
check_container "$work/stored.bin" 0
[ "$(wc -c <"$work/package.bin")" -lt "$(wc -c <"$work/stored.bin")" ] ||
  fail "the compressed package is not smaller than the stored one"

# Both hold the same files, byte for byte.
run "$pkgtool" list "$work/stored.bin"
expect_file_eq "$work/stdout" "$src/tests/tools/expected/demo-list.txt" "list of the stored package"
"$pkgtool" extract "$work/package.bin" "$work/from-compressed" || fail "extract (compressed)"
"$pkgtool" extract "$work/stored.bin" "$work/from-stored" || fail "extract (stored)"
diff -r "$work/from-compressed" "$work/from-stored" >/dev/null || fail "the two extract differently"
diff -r "$demo/payload" "$work/from-compressed" >/dev/null || fail "extract is not the payload"

# --store gives the very bytes of the package pkgtool made before it compressed anything.
mkdir -p "$work/gold/payload/sub"
printf 'alpha\r\n' >"$work/gold/payload/a.txt"
for i in 1 2 3; do for b in $(seq 0 255); do printf "\\$(printf %03o "$b")"; done; done \
  >"$work/gold/payload/sub/b.bin"
: >"$work/gold/payload/sub/e.dat"
printf '<InstallerPackage root="Gold" payload="payload"><Company name="C"/><Product name="Gold"/><MainApp path="a.txt"/></InstallerPackage>\n' \
  >"$work/gold/manifest.xml"
"$pkgtool" build "$work/gold/manifest.xml" -o "$work/gold.bin" --store || fail "stored build"
expect_eq "$(sha256sum <"$work/gold.bin" | cut -c1-64)" \
  "cea204cf3c0dfe091fe67c08df5046202ff92ec23f7cb207af8c816948f0039c" "the stored package, byte for byte"

finish

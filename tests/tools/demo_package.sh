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

# The container as the installer checks it: totalSize = L + F + 4, records from offset 8; then
# the product's identity block ("TPID", format 1, its size) fills the rest of the file.
size=$(wc -c <"$work/package.bin")
u32() { od -An -tu4 -j "$1" -N 4 "$work/package.bin" | tr -d ' '; }
total=$(u32 0)
script_size=$(u32 4)
block_size=$(u32 $((4 + script_size)))
expect_eq "$((script_size + block_size + 4))" "$total" "L + F + 4"
expect_eq "$(od -An -c -j "$total" -N 4 "$work/package.bin" | tr -d ' ')" "TPID" "identity magic"
expect_eq "$(od -An -tu2 -j $((total + 4)) -N 2 "$work/package.bin" | tr -d ' ')" "1" "identity format"
expect_eq "$((total + $(u32 $((total + 6)))))" "$size" "the identity block ends the file"
expect_eq "$(od -An -tx1 -j 8 -N 2 "$work/package.bin" | tr -d ' ')" "007e" "first record"

finish

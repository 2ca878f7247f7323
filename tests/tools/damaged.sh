#!/usr/bin/env bash
# Damaged packages: whatever the installer would refuse, list, script and extract refuse with
# "package rejected: REASON" on stderr, nothing on stdout and exit 1. A script that stops at a
# bad record prints what was read and then where and why it stopped.
source "$(dirname "$0")/helpers.bash"

"$pkgtool" build "$demo/manifest.xml" -o "$work/good.bin" || fail "demo build"

u32() { od -An -tu4 -j "$2" -N 4 "$1" | tr -d ' '; }
# put_u32 FILE OFFSET VALUE, little-endian, in place.
put_u32() {
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($3 & 255)) $(($3 >> 8 & 255)) \
    $(($3 >> 16 & 255)) $(($3 >> 24 & 255)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
poke() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# rejected FILE WHAT: every reading command refuses it.
rejected() {
  for command in list script "extract:$work/never"; do
    local args=("${command%%:*}" "$1")
    [ "$command" != "${command#extract:}" ] && args+=("${command#extract:}")
    run "$pkgtool" "${args[@]}"
    expect_eq "$rc" "1" "$2 (${args[0]}): exit code"
    expect_eq "$out" "" "$2 (${args[0]}): stdout"
    expect_match "$err" "^package rejected: [^[:cntrl:]]+$" "$2 (${args[0]}): stderr"
  done
  [ -e "$work/never" ] && fail "$2: extract created its folder"
}

size=$(wc -c <"$work/good.bin")
total=$(u32 "$work/good.bin" 0)
cp "$work/good.bin" "$work/plus.bin" && put_u32 "$work/plus.bin" 0 $((total + 1))
rejected "$work/plus.bin" "totalSize one too large"
cp "$work/good.bin" "$work/minus.bin" && put_u32 "$work/minus.bin" 0 $((total - 1))
rejected "$work/minus.bin" "totalSize one too small"
head -c $((size - 1)) "$work/good.bin" >"$work/short.bin"
rejected "$work/short.bin" "last byte cut off"
head -c 6 "$work/good.bin" >"$work/tiny.bin"
rejected "$work/tiny.bin" "six bytes"
# A root file count far beyond what the block holds.
script_size=$(u32 "$work/good.bin" 4)
cp "$work/good.bin" "$work/count.bin" && put_u32 "$work/count.bin" $((4 + script_size + 4)) 100000
rejected "$work/count.bin" "root file count past the block"

# A script that stops at its third record. Records from position 4 of the script block
# (package offset 8): Company "Brenmark" is 2 + 16 + 2 + 1 = 21 bytes, Product
# "KorvelServerV6" 2 + 28 + 2 + 1 = 33, so the MainApp record starts at position 58.
make_payload "$work/p/payload"
cat >"$work/p/manifest.xml" <<'XML'
<InstallerPackage root="KorvelServerV6" payload="payload">
  <Company name="Brenmark"/>
  <Product name="KorvelServerV6"/>
  <MainApp path="VantrelService.exe"/>
  <RunEntry path="KorvelPanel.exe"/>
</InstallerPackage>
XML
"$pkgtool" build "$work/p/manifest.xml" -o "$work/p.bin" || fail "small build"
read_so_far=$(printf 'settingsKey\tBrenmark KorvelServerV6\ndataFolder\tBrenmark KorvelServerV6\nversion\t1.0\ntouchDevices\t0xAAEC\tany\ncompany\tBrenmark\nproduct\tKorvelServerV6\nmainApp\t-\nextraProgram\t-\nuninstaller\t-')

cp "$work/p.bin" "$work/marker.bin" && poke "$work/marker.bin" $((4 + 58 + 1)) '\x41'
run "$pkgtool" script "$work/marker.bin"
expect_eq "$rc" "1" "bad marker: exit code"
expect_eq "$out" "$read_so_far" "bad marker: what was read"
expect_eq "$err" "script stopped at offset 58: unknown record marker" "bad marker: stderr"

cp "$work/p.bin" "$work/command.bin" && poke "$work/command.bin" $((4 + 58)) '\x0e'
run "$pkgtool" script "$work/command.bin"
expect_eq "$rc:$out" "1:$read_so_far" "command 14: what was read"
expect_eq "$err" "script stopped at offset 58: unknown command" "command 14: stderr"

# The files are all there: list does not depend on the script.
run "$pkgtool" list "$work/marker.bin"
expect_eq "$rc:$err:$(wc -l <"$work/stdout")" "0::6" "list of a package with a bad script"

# A compressed file whose frame is not what its entry says loads (the frames are read only as
# the files are written) but does not extract: extract names it and why, and leaves no part of
# it behind. Its declared size sits right before its frame's magic number.
magic=$(LC_ALL=C grep -obUaP '\x28\xb5\x2f\xfd' "$work/good.bin" | head -1 | cut -d: -f1)
[ -n "$magic" ] || fail "no zstd frame in the compressed package"
declared=$(u32 "$work/good.bin" $((magic - 4)))
cp "$work/good.bin" "$work/lying.bin" && put_u32 "$work/lying.bin" $((magic - 4)) $((declared + 1))
run "$pkgtool" list "$work/lying.bin"
expect_eq "$rc:$err" "0:" "a file whose frame is shorter than its size still lists"
run "$pkgtool" extract "$work/lying.bin" "$work/lying"
expect_eq "$rc:$out" "1:" "extract of a file whose frame is shorter than its size"
expect_match "$err" "^pkgtool: \"[^\"]+\" cannot be extracted: a compressed file decodes to less than its size$" \
  "extract says which file and why"
name=$(sed -n 's/^pkgtool: "\([^"]*\)".*/\1/p' <<<"$err" | tr '\\' /)
[ -n "$name" ] && [ ! -e "$work/lying/$name" ] || fail "extract left part of \"$name\" behind"
cp "$work/good.bin" "$work/flipped.bin" && poke "$work/flipped.bin" $((magic + 12)) '\x00\x00\x00\x00'
run "$pkgtool" extract "$work/flipped.bin" "$work/flipped"
expect_eq "$rc" "1" "extract of a damaged frame"
expect_match "$err" "cannot be extracted: a compressed file" "extract of a damaged frame says why"

finish

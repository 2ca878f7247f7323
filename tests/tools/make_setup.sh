#!/usr/bin/env bash
# make-setup on real MinGW stubs (tests/stub, compiled here): the package and pictures land in
# the resources a setup reads, every other resource and section survives byte for byte, the
# headers stay consistent (checked with objdump, wrestool and an independent checksum), the
# same inputs give the same bytes, bad stubs and pictures are refused with nothing written,
# and a signed setup verifies with osslsigncode.
source "$(dirname "$0")/helpers.bash"

stubsrc=$src/tests/stub
data=$src/tests/windows/data
# compile_stub ARCH OUT [RC]: the stub program, with the given resource script (or none).
compile_stub() {
  local arch=$1 out=$2 rc=${3:-}
  local objects=()
  if [ -n "$rc" ]; then
    "$arch-w64-mingw32-windres" -I "$stubsrc" -I "$data" "$rc" -O coff -o "$out.res.o" || return 1
    objects=("$out.res.o")
  fi
  "$arch-w64-mingw32-gcc" -municode -static -O2 "$stubsrc/setup_stub.c" "${objects[@]}" \
    -lversion -lgdi32 -o "$out"
}
compile_stub i686 "$work/stub.exe" "$stubsrc/setup_stub.rc" || fail "stub build"
compile_stub x86_64 "$work/stub64.exe" "$stubsrc/setup_stub.rc" || fail "64-bit stub build"
compile_stub i686 "$work/bare.exe" || fail "stub without resources"
printf '107 ICON "stub.ico"\n' >"$work/icon-only.rc"
compile_stub i686 "$work/icon-only.exe" "$work/icon-only.rc" || fail "stub without a package"

"$pkgtool" build "$demo/manifest.xml" -o "$work/package.bin" || fail "package build"

# resource FILE TYPE NAME: the raw bytes of one resource.
resource() { wrestool -x --raw --type="$2" --name="$3" "$1"; }
# The file offset of a header field: the PE header's offset is at 0x3C; the optional header
# starts 24 bytes after it.
u32at() { od -An -tu4 -j "$2" -N 4 "$1" | tr -d ' '; }
optional() { echo $(($(u32at "$1" 60) + 24)); }
# The PE checksum computed here, independently: 16-bit words with the carry folded in, the
# checksum field counted as zero, plus the file length.
pe_checksum() {
  local field=$(($(optional "$1") + 64))
  od -An -v -tu1 -w2 "$1" | awk -v f="$field" -v size="$(stat -c %s "$1")" '
    { pos = (NR - 1) * 2; if (pos == f || pos == f + 2) next
      sum += $1 + 256 * ($2 == "" ? 0 : $2); sum = sum % 65536 + int(sum / 65536) }
    END { sum = sum % 65536 + int(sum / 65536); print sum + size }'
}
sections() { i686-w64-mingw32-objdump -h "$1" | awk '$1 ~ /^[0-9]+$/ { print $2 }'; }

# --- the package replaces RES_DATA 199; everything else stays as the stub had it
run "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/setup.exe" --stub "$work/stub.exe"
expect_eq "$rc:$out:$err" "0::" "make-setup"
resource "$work/setup.exe" RES_DATA 199 >"$work/res199.bin"
expect_file_eq "$work/res199.bin" "$work/package.bin" "RES_DATA 199 is the package"
for r in "RES_IMAGE_DATA 250" "PNG 200" "BMP 204" "3 1" "14 107" "6 7" "24 1"; do
  set -- $r
  cmp -s <(resource "$work/stub.exe" "$1" "$2") <(resource "$work/setup.exe" "$1" "$2") ||
    fail "resource $r changed"
  [ "$(resource "$work/setup.exe" "$1" "$2" | wc -c)" -gt 0 ] || fail "resource $r is empty"
done
expect_eq "$(wrestool -l "$work/setup.exe" | wc -l)" "$(wrestool -l "$work/stub.exe" | wc -l)" \
  "the same number of resources"
expect_eq "$(sections "$work/setup.exe" | tr '\n' ' ')" "$(sections "$work/stub.exe" | tr '\n' ' ')" \
  "section names and order (long names still resolve)"
# The package is larger than the stub's: the sections after the resources moved, intact.
expect_match "$(i686-w64-mingw32-objdump -h "$work/setup.exe" | grep -c ' \.reloc ')" "^1$" ".reloc kept"
for s in .reloc .text .debug_info; do
  cmp -s <(i686-w64-mingw32-objcopy -O binary --only-section="$s" "$work/stub.exe" /dev/stdout) \
         <(i686-w64-mingw32-objcopy -O binary --only-section="$s" "$work/setup.exe" /dev/stdout) ||
    fail "section $s changed"
done
dump=$(i686-w64-mingw32-objdump -p "$work/setup.exe")
reloc_vma=$(i686-w64-mingw32-objdump -h "$work/setup.exe" | awk '$2 == ".reloc" { print $4 }')
expect_match "$dump" "Entry 5 0*$(printf '%x' $((0x$reloc_vma - 0x400000)))" \
  "the relocation directory follows .reloc"
last=$(i686-w64-mingw32-objdump -h "$work/setup.exe" | awk '$1 ~ /^[0-9]+$/ { v = $4; s = $3 } END { print v, s }')
image_end=$(( (0x${last% *} + 0x${last#* } - 0x400000 + 0xFFF) / 0x1000 * 0x1000 ))
expect_match "$dump" "SizeOfImage[[:space:]]+0*$(printf '%x' $image_end)" "SizeOfImage covers the last section"
expect_eq "$(u32at "$work/setup.exe" $(($(optional "$work/setup.exe") + 64)))" \
  "$(pe_checksum "$work/setup.exe")" "checksum"

# The package line info prints last: what `list` shows of the manifest's package, summed.
package_line() { # package_line MANIFEST KIND [--store]
  "$pkgtool" build "$1" -o "$work/for-info.bin" ${3:-} || fail "build for info"
  "$pkgtool" list "$work/for-info.bin" |
    awk -v k="$2" '{n++; s += $1} END {printf "package: %s, %d files, %d bytes", k, n, s}'
}

# The manifest's Version makes the version resource; the stub's description stays, as no
# title or description is given.
run "$pkgtool" info "$work/setup.exe"
expect_eq "$rc:$err" "0:" "info"
expect_eq "$out" "title: Multitouch Driver Installation
icon: 16x16 32-bit
file version: 6.0.2.0
product version: 6.0.2.0
CompanyName: Brenmark
FileDescription: Setup stub for tests
FileVersion: 6.0.2
OriginalFilename: setup.exe
ProductName: KorvelServerV6
ProductVersion: 6.0.2
$(package_line "$demo/manifest.xml" compressed)" "info on the demo setup"
run "$pkgtool" info "$work/stub.exe"
expect_match "$out" "file version: 1.2.3.4
product version: 1.2.3.4
FileDescription: Setup stub for tests
FileVersion: 1.2.3.4
package: \\(unreadable: script block runs past the end\\)\$" "info on the stub (its package a few bytes of no package)"
run "$pkgtool" info "$work/bare.exe"
expect_eq "$rc:$out:$err" "0:title: (none)
icon: (none)
version: (none)
package: (none):" "info on an image without resources"
# --store carries the package every earlier pkgtool made; info tells the two apart.
run "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/stored.exe" --stub "$work/stub.exe" --store
expect_eq "$rc:$out:$err" "0::" "make-setup --store"
"$pkgtool" build "$demo/manifest.xml" -o "$work/stored.bin" --store || fail "build --store"
resource "$work/stored.exe" RES_DATA 199 >"$work/res199-stored.bin"
expect_file_eq "$work/res199-stored.bin" "$work/stored.bin" "RES_DATA 199 is the stored package"
run "$pkgtool" info "$work/stored.exe"
expect_eq "$(tail -1 <<<"$out")" "$(package_line "$demo/manifest.xml" stored --store)" \
  "info on a setup with a stored package"
# A package the installer would reject is named so, with the reason.
cp "$work/setup.exe" "$work/damaged.exe"
offset=$(grep -obUaP 'TPID' "$work/damaged.exe" | head -1 | cut -d: -f1)
printf 'XXXX' | dd of="$work/damaged.exe" bs=1 seek="$offset" conv=notrunc 2>/dev/null
run "$pkgtool" info "$work/damaged.exe"
expect_eq "$(tail -1 <<<"$out")" "package: (unreadable: no product identity block)" \
  "info on a setup whose package is damaged"
run "$pkgtool" info "$work/package.bin"
expect_eq "$rc:$out" "1:" "info on no executable"
expect_match "$err" "package.bin\" cannot be read: not an executable \(no MZ header\)" \
  "info on no executable says why"

# The uninstaller the payload carries tells the product's version, as the setup does: a
# program with a version resource of its own gets the manifest's (its description kept).
mkdir -p "$work/unver/payload"
cp "$work/stub.exe" "$work/unver/payload/Uninstall.exe"
printf 'x' >"$work/unver/payload/a.txt"
printf '<InstallerPackage root="Pen" payload="payload"><Company name="Quillon"/><Product name="Pen"/><Version value="4.1.7"/><Uninstaller path="Uninstall.exe"/></InstallerPackage>\n' \
  >"$work/unver/manifest.xml"
"$pkgtool" make-setup "$work/unver/manifest.xml" -o "$work/unver.exe" --stub "$work/stub.exe" ||
  fail "make-setup with an uninstaller"
resource "$work/unver.exe" RES_DATA 199 >"$work/unver.bin"
rm -rf "$work/unver/out" && "$pkgtool" extract "$work/unver.bin" "$work/unver/out" ||
  fail "extract the uninstaller"
run "$pkgtool" info "$(find "$work/unver/out" -name Uninstall.exe | head -1)"
expect_match "$out" "file version: 4.1.7.0" "the uninstaller's version is the product's"
expect_match "$out" "CompanyName: Quillon" "the uninstaller's company is the product's"
expect_match "$out" "ProductName: Pen" "the uninstaller's product is the product"
expect_match "$out" "FileDescription: Setup stub for tests" "the uninstaller keeps its description"

# The same inputs twice give the same bytes; so does making it from the result again.
"$pkgtool" make-setup "$demo/manifest.xml" -o "$work/again.exe" --stub "$work/stub.exe" ||
  fail "second make-setup"
cmp -s "$work/setup.exe" "$work/again.exe" || fail "two runs differ"
"$pkgtool" make-setup "$demo/manifest.xml" -o "$work/third.exe" --stub "$work/setup.exe" ||
  fail "make-setup from its own output"
cmp -s "$work/setup.exe" "$work/third.exe" || fail "a setup made from a setup differs"

# A smaller package shrinks the section again: back to the stub's own layout.
mkdir -p "$work/small/payload"
printf 'x' >"$work/small/payload/a.txt"
printf '<InstallerPackage root="R" payload="payload"><Company name="C"/><Product name="R"/></InstallerPackage>\n' \
  >"$work/small/manifest.xml"
"$pkgtool" make-setup "$work/small/manifest.xml" -o "$work/small.exe" --stub "$work/setup.exe" ||
  fail "shrinking make-setup"
expect_eq "$(i686-w64-mingw32-objdump -h "$work/small.exe" | awk '$2 == ".reloc" { print $4 }')" \
  "$(i686-w64-mingw32-objdump -h "$work/stub.exe" | awk '$2 == ".reloc" { print $4 }')" \
  ".reloc back in place"
expect_eq "$(u32at "$work/small.exe" $(($(optional "$work/small.exe") + 64)))" \
  "$(pe_checksum "$work/small.exe")" "checksum after shrinking"

# --- a 64-bit (PE32+) stub: the same rewrite, its own data directories
run "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/setup64.exe" --stub "$work/stub64.exe"
expect_eq "$rc:$out:$err" "0::" "make-setup from a 64-bit stub"
expect_file_eq <(resource "$work/setup64.exe" RES_DATA 199) "$work/package.bin" "the 64-bit setup's package"
for r in "PNG 200" "3 1" "14 107" "6 7" "24 1"; do
  set -- $r
  cmp -s <(resource "$work/stub64.exe" "$1" "$2") <(resource "$work/setup64.exe" "$1" "$2") ||
    fail "64-bit: resource $r changed"
done
for s in .reloc .text .pdata; do
  cmp -s <(x86_64-w64-mingw32-objcopy -O binary --only-section="$s" "$work/stub64.exe" /dev/stdout) \
         <(x86_64-w64-mingw32-objcopy -O binary --only-section="$s" "$work/setup64.exe" /dev/stdout) ||
    fail "64-bit: section $s changed"
done
dump64=$(x86_64-w64-mingw32-objdump -p "$work/setup64.exe")
expect_match "$dump64" "Magic[[:space:]]+020b" "still PE32+"
reloc64=$(x86_64-w64-mingw32-objdump -h "$work/setup64.exe" | awk '$2 == ".reloc" { print $4 }')
base64=$(echo "$dump64" | awk '$1 == "ImageBase" { print $2 }')
expect_match "$dump64" "Entry 5 0*$(printf '%x' $((0x$reloc64 - 0x$base64)))" \
  "64-bit: the relocation directory follows .reloc"
expect_eq "$(u32at "$work/setup64.exe" $(($(optional "$work/setup64.exe") + 64)))" \
  "$(pe_checksum "$work/setup64.exe")" "64-bit checksum"
"$pkgtool" make-setup "$demo/manifest.xml" -o "$work/again64.exe" --stub "$work/setup64.exe" ||
  fail "make-setup from a 64-bit setup"
cmp -s "$work/setup64.exe" "$work/again64.exe" || fail "a 64-bit setup made from itself differs"

# --- the product's own title, icon and version texts
look=$work/look
mkdir -p "$look/payload"
printf 'x' >"$look/payload/a.txt"
/usr/bin/convert -size 16x16 xc:'#2040a0' "PNG32:$look/16.png"
/usr/bin/convert -size 48x48 xc:'#a04020' "PNG32:$look/48.png"
/usr/bin/convert -size 256x256 xc:'#20a040' "PNG32:$look/256.png"
icotool -c -b 32 -o "$look/quillon.ico" "$look/16.png" "$look/48.png" --raw="$look/256.png" || fail "icotool"
cat >"$look/manifest.xml" <<'XML'
<InstallerPackage root="QuillonTouch" payload="payload">
  <Company name="Quillon &amp; Co"/>
  <Product name="QuillonTouch"/>
  <Version value="2.5.1"/>
  <SetupTitle text="Quillon Touch Frame Setup"/>
  <SetupIcon path="quillon.ico"/>
  <FileDescription text="Quillon touch frame drivers"/>
  <Copyright text="&#169; 2026 Quillon &amp; Co"/>
</InstallerPackage>
XML
for stub in stub stub64; do
  run "$pkgtool" make-setup "$look/manifest.xml" -o "$work/look-$stub.exe" --stub "$work/$stub.exe"
  expect_eq "$rc:$out:$err" "0::" "make-setup with a title, icon and version ($stub)"
  run "$pkgtool" info "$work/look-$stub.exe"
  expect_eq "$out" "title: Quillon Touch Frame Setup
icon: 16x16 32-bit, 48x48 32-bit, 256x256 32-bit
file version: 2.5.1.0
product version: 2.5.1.0
CompanyName: Quillon & Co
FileDescription: Quillon touch frame drivers
FileVersion: 2.5.1
LegalCopyright: © 2026 Quillon & Co
OriginalFilename: setup.exe
ProductName: QuillonTouch
ProductVersion: 2.5.1
$(package_line "$look/manifest.xml" compressed)" "info on the product's setup ($stub)"
  # Read by another tool: the icon group and its images as an .ico again.
  wrestool -x --type=14 --name=107 "$work/look-$stub.exe" >"$work/group.ico" 2>/dev/null
  expect_match "$(icotool -l "$work/group.ico" 2>&1 | tr '\n' ' ')" \
    "--width=16 --height=16 --bit-depth=32.*--width=48 --height=48.*--width=256 --height=256" \
    "icoutils reads the icon ($stub)"
  expect_eq "$(wrestool -l "$work/look-$stub.exe" | grep -c -- '--type=3 ')" 3 "one RT_ICON per image ($stub)"
  expect_eq "$(u32at "$work/look-$stub.exe" $(($(optional "$work/look-$stub.exe") + 64)))" \
    "$(pe_checksum "$work/look-$stub.exe")" "checksum with the new resources ($stub)"
done
# The title went into the stub's string table: the other strings of its block are kept.
expect_match "$(wrestool -x --raw --type=6 --name=7 "$work/look-stub.exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -d '\000')" \
  "Quillon Touch Frame Setup" "string 105 in block 7"

# --- pictures: named pictures replace theirs; slides become RES_IMAGE_DATA 250
pics=$work/pictures
mkdir -p "$pics"
/usr/bin/convert -size 536x304 xc:'#205080' BMP3:"$pics/language.bmp"
/usr/bin/convert -size 60x16 xc:'#ff0000' "$pics/flag-en.png"
/usr/bin/convert -size 60x16 xc:'#00ff00' "$pics/flag-zh.png"
/usr/bin/convert -size 120x32 xc:'#00ff00' "$pics/flag-zh-2x.png"
/usr/bin/convert -size 536x304 xc:'#008000' BMP3:"$pics/slide1.bmp"
/usr/bin/convert -size 536x304 xc:'#800000' "$pics/Slide2.PNG"
run "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/pictures.exe" --stub "$work/stub.exe" \
  --pictures "$pics"
expect_eq "$rc:$out:$err" "0::" "make-setup with pictures"
expect_file_eq <(resource "$work/pictures.exe" BMP 204) "$pics/language.bmp" "BMP 204 replaced"
expect_file_eq <(resource "$work/pictures.exe" PNG 210) "$pics/flag-en.png" "PNG 210 added"
expect_file_eq <(resource "$work/pictures.exe" PNG 1207) "$pics/flag-zh-2x.png" "PNG 1207 added"
# The stub's large English lettering would show on dense screens instead of the new button.
wrestool -l "$work/pictures.exe" | grep -q -- "--name=1210 " || fail "PNG 1210 is not there"
expect_eq "$(resource "$work/pictures.exe" PNG 1210 | wc -c)" 0 "PNG 1210 emptied with PNG 210"
"$pkgtool" bundle "$work/slides.bin" "$pics/slide1.bmp" "$pics/Slide2.PNG" || fail "bundle"
expect_file_eq <(resource "$work/pictures.exe" RES_IMAGE_DATA 250) "$work/slides.bin" "slides bundle"
cmp -s <(resource "$work/stub.exe" PNG 200) <(resource "$work/pictures.exe" PNG 200) ||
  fail "a picture not in the folder changed"

# Refusals name the cause, exit 1 and write nothing.
refused() { # DESCRIPTION PATTERN ARGS...
  local what=$1 pattern=$2
  shift 2
  rm -f "$work/refused.exe"
  run "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/refused.exe" "$@"
  expect_eq "$rc" 1 "$what: exit status"
  expect_eq "$out" "" "$what: stdout"
  expect_match "$err" "$pattern" "$what: message"
  [ ! -e "$work/refused.exe" ] || fail "$what: an output was written"
}
bad=$work/bad-pictures
mkdir -p "$bad"
cp "$pics/language.bmp" "$bad/"
printf 'notes' >"$bad/readme.txt"
refused "an unknown picture" 'unknown picture "readme.txt"' --stub "$work/stub.exe" --pictures "$bad"
rm "$bad/readme.txt"
/usr/bin/convert -size 60x17 xc:red "$bad/flag-de.png"
refused "a picture of the wrong size" "flag-de.png is 60x17, the wizard draws it at 60x16" \
  --stub "$work/stub.exe" --pictures "$bad"
cp "$pics/flag-en.png" "$bad/flag-de.png"
cp "$pics/flag-en.png" "$bad/device.bmp"
refused "a PNG named .bmp" "device.bmp is not a BMP picture" --stub "$work/stub.exe" --pictures "$bad"
rm "$bad/device.bmp"
cp "$pics/slide1.bmp" "$bad/slide3.bmp"
refused "a gap in the slides" "slide 1 is missing" --stub "$work/stub.exe" --pictures "$bad"
rm "$bad/slide3.bmp"
cp "$pics/language.bmp" "$bad/LANGUAGE.BMP"
refused "a picture given twice" "language.bmp is given twice" --stub "$work/stub.exe" --pictures "$bad"
refused "a missing pictures folder" "cannot list the pictures folder" --stub "$work/stub.exe" \
  --pictures "$work/none"

# Stubs that cannot be a setup.
refused "a missing stub" "cannot read the stub" --stub "$work/none.exe"
refused "a stub that is no executable" "not an executable \(no MZ header\)" --stub "$work/package.bin"
# The optional header's magic: 0x10B (PE32) and 0x20B (PE32+) only; 0x107 is a ROM image.
cp "$work/stub.exe" "$work/rom.exe"
printf '\x07\x01' | dd of="$work/rom.exe" bs=1 seek="$(optional "$work/rom.exe")" conv=notrunc 2>/dev/null
refused "a stub of neither kind" "not a PE32 or PE32\+ executable" --stub "$work/rom.exe"
refused "a stub without resources" "carries no installer package" --stub "$work/bare.exe"
refused "a stub without a package" "carries no installer package \(RES_DATA 199\)" \
  --stub "$work/icon-only.exe"
# The test build (simulated USB bus) would never see a real device: refused unless meant.
{ cat "$stubsrc/setup_stub.rc"; printf 'TESTBUILD RCDATA { "simulated USB bus\\0" }\n'; } \
  >"$work/testbuild.rc"
compile_stub i686 "$work/testbuild.exe" "$work/testbuild.rc" || fail "test-build stub build"
refused "a test-build stub" "is a test build .* --test-build if a test build is meant" \
  --stub "$work/testbuild.exe"
run "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/meant.exe" --stub "$work/testbuild.exe" \
  --test-build
expect_eq "$rc:$out:$err" "0::" "a test build that is meant"
expect_file_eq <(resource "$work/meant.exe" RES_DATA 199) "$work/package.bin" "the test build's package"
expect_file_eq <(resource "$work/meant.exe" 10 TESTBUILD) <(resource "$work/testbuild.exe" 10 TESTBUILD) \
  "a test build made from a test build stays marked"
head -c 4000 "$work/stub.exe" >"$work/cut.exe"
refused "a cut-off stub" "the stub .* cannot be used" --stub "$work/cut.exe"
printf '<InstallerPackage root="R" payload="payload"><Nonsense/></InstallerPackage>\n' \
  >"$work/small/broken.xml"
rm -f "$work/refused.exe"
run "$pkgtool" make-setup "$work/small/broken.xml" -o "$work/refused.exe" --stub "$work/stub.exe"
expect_eq "$rc" 1 "a broken manifest"
expect_match "$err" 'broken.xml:1: unknown element "Nonsense"' "a broken manifest names its line"
[ ! -e "$work/refused.exe" ] || fail "a broken manifest wrote an output"

run "$pkgtool" make-setup "$demo/manifest.xml"
expect_eq "$rc" 2 "no output: usage"
run "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/x.exe" --sign "$work/only-one.pem"
expect_eq "$rc" 2 "--sign needs a certificate and a key"

# Without --stub, the setup.exe beside pkgtool.
mkdir -p "$work/bin"
cp "$pkgtool" "$work/bin/pkgtool"
cp "$work/stub.exe" "$work/bin/setup.exe"
"$work/bin/pkgtool" make-setup "$demo/manifest.xml" -o "$work/default.exe" || fail "default stub"
cmp -s "$work/default.exe" "$work/setup.exe" || fail "the default stub gives other bytes"
rm "$work/bin/setup.exe"
run "$work/bin/pkgtool" make-setup "$demo/manifest.xml" -o "$work/default2.exe"
expect_match "$err" "cannot read the stub \"$work/bin/setup.exe\"" "a missing default stub is named"

# --- signing
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -subj "/CN=Touch Setup Test" -days 2 2>/dev/null || fail "test certificate"
run env SOURCE_DATE_EPOCH=1700000000 "$pkgtool" make-setup "$demo/manifest.xml" \
  -o "$work/signed.exe" --stub "$work/stub.exe" --sign "$work/cert.pem" "$work/key.pem"
expect_eq "$rc:$out:$err" "0::" "signed make-setup"
[ ! -e "$work/signed.exe.unsigned" ] || fail "the unsigned intermediate is left behind"
verify=$(osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.exe" 2>&1)
expect_match "$verify" "Signature verification: ok" "osslsigncode verify"
expect_file_eq <(resource "$work/signed.exe" RES_DATA 199) "$work/package.bin" "the signed setup's package"
env SOURCE_DATE_EPOCH=1700000000 "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/signed2.exe" \
  --stub "$work/stub.exe" --sign "$work/cert.pem" "$work/key.pem" || fail "second signing"
cmp -s "$work/signed.exe" "$work/signed2.exe" || fail "signing with SOURCE_DATE_EPOCH is not reproducible"
# A signed stub: its signature is dropped, since it no longer matches.
"$pkgtool" make-setup "$demo/manifest.xml" -o "$work/resigned.exe" --stub "$work/signed.exe" ||
  fail "make-setup from a signed stub"
expect_match "$(i686-w64-mingw32-objdump -p "$work/resigned.exe")" "Entry 4 00000000 00000000" \
  "no certificate table"
cmp -s "$work/resigned.exe" "$work/setup.exe" || fail "dropping the signature gives other bytes"
# A key that does not belong to the certificate: refused, nothing left.
openssl genrsa -out "$work/other.pem" 2048 2>/dev/null
refused "a key of another certificate" "osslsigncode could not sign" --stub "$work/stub.exe" \
  --sign "$work/cert.pem" "$work/other.pem"
[ ! -e "$work/refused.exe.unsigned" ] || fail "a failed signing left its intermediate"

# PKCS#12: the password from a file or from the environment, never on osslsigncode's command
# line (readable by every user of the machine).
openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" -out "$work/cert.pfx" \
  -passout pass:s3cret 2>/dev/null || fail "test PKCS#12 file"
printf 's3cret' >"$work/pass.txt"
run "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/pfx.exe" --stub "$work/stub.exe" \
  --sign-pfx "$work/cert.pfx" --password-file "$work/pass.txt"
expect_eq "$rc:$out:$err" "0::" "PKCS#12 signing, password from a file"
expect_match "$(osslsigncode verify -CAfile "$work/cert.pem" -in "$work/pfx.exe" 2>&1)" \
  "Signature verification: ok" "the PKCS#12-signed setup verifies"
run env PKGTOOL_PFX_PASSWORD=s3cret "$pkgtool" make-setup "$demo/manifest.xml" \
  -o "$work/pfx2.exe" --stub "$work/stub.exe" --sign-pfx "$work/cert.pfx"
expect_eq "$rc:$out:$err" "0::" "PKCS#12 signing, password from the environment"
expect_match "$(osslsigncode verify -CAfile "$work/cert.pem" -in "$work/pfx2.exe" 2>&1)" \
  "Signature verification: ok" "the setup signed with the environment's password verifies"
refused "a PKCS#12 file without its password" "give --password-file FILE or set PKGTOOL_PFX_PASSWORD" \
  --stub "$work/stub.exe" --sign-pfx "$work/cert.pfx"
printf 'wrong' >"$work/wrong.txt"
refused "a wrong PKCS#12 password" "osslsigncode could not sign" --stub "$work/stub.exe" \
  --sign-pfx "$work/cert.pfx" --password-file "$work/wrong.txt"
for args in "--sign $work/cert.pem $work/key.pem --sign-pfx $work/cert.pfx" \
  "--password-file $work/pass.txt" "--timestamp http://ts.example"; do
  run "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/x.exe" $args
  expect_eq "$rc" 2 "options that do not go together ($args)"
done

# The time-stamp server goes to osslsigncode as RFC 3161 (-ts); the network is out of reach
# here, so a stand-in osslsigncode records its arguments and the password it was given, and
# signs nothing. With $work/hold present it waits (up to 20 s) until that file is gone.
mkdir -p "$work/fakebin"
cat >"$work/fakebin/osslsigncode" <<SH
#!/bin/sh
printf '%s\n' "\$@" >"$work/recorded"
while [ \$# -gt 0 ]; do
  case "\$1" in
    -readpass) if [ "\$2" = - ]; then cat >"$work/password-seen"; else cat "\$2" >"$work/password-seen"; fi;;
    -in) in=\$2;; -out) out=\$2;;
  esac
  shift
done
touch "$work/signing"
i=0
while [ -e "$work/hold" ] && [ \$i -lt 200 ]; do sleep 0.1; i=\$((i + 1)); done
cp "\$in" "\$out"
SH
chmod +x "$work/fakebin/osslsigncode"
mkdir -p "$work/tmp"
run env PATH="$work/fakebin:$PATH" TMPDIR="$work/tmp" PKGTOOL_PFX_PASSWORD=s3cret "$pkgtool" \
  make-setup "$demo/manifest.xml" -o "$work/ts.exe" --stub "$work/stub.exe" \
  --sign-pfx "$work/cert.pfx" --timestamp http://timestamp.example/rfc3161
expect_eq "$rc:$err" "0:" "time-stamped signing"
expect_eq "$(tr '\n' ' ' <"$work/recorded")" \
  "sign -pkcs12 $work/cert.pfx -readpass - -h sha256 -ts http://timestamp.example/rfc3161 -in $work/ts.exe.unsigned -out $work/ts.exe " \
  "osslsigncode's command line"
expect_eq "$(cat "$work/password-seen")" "s3cret" "the password reached osslsigncode through its input"
grep -q s3cret "$work/recorded" && fail "the password was on osslsigncode's command line"
# The password from a file the user gives stays that file.
run env PATH="$work/fakebin:$PATH" "$pkgtool" make-setup "$demo/manifest.xml" -o "$work/ts.exe" \
  --stub "$work/stub.exe" --sign-pfx "$work/cert.pfx" --password-file "$work/pass.txt"
expect_eq "$rc:$err" "0:" "signing with a password file"
expect_eq "$(sed -n 5p "$work/recorded")" "$work/pass.txt" "the user's password file is read in place"

# However pkgtool ends while osslsigncode runs (Ctrl-C, a CI time-out, a kill), no password is
# left on disk: nothing in TMPDIR, the output's folder or anywhere the signing named holds it.
# env --default-signal: a background job of a script would otherwise ignore SIGINT.
for signal in INT TERM KILL; do
  rm -rf "$work/tmp" "$work/signing" "$work/killed"
  mkdir -p "$work/tmp" "$work/killed"
  touch "$work/hold"
  env --default-signal=INT,TERM PATH="$work/fakebin:$PATH" TMPDIR="$work/tmp" \
    PKGTOOL_PFX_PASSWORD=s3cret "$pkgtool" make-setup "$demo/manifest.xml" \
    -o "$work/killed/setup.exe" --stub "$work/stub.exe" --sign-pfx "$work/cert.pfx" \
    >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 100); do [ -e "$work/signing" ] && break; sleep 0.1; done
  [ -e "$work/signing" ] || fail "SIG$signal: osslsigncode was never started"
  kill -s "$signal" "$pid"
  wait "$pid"
  status=$?
  [ "$status" -gt 128 ] || fail "SIG$signal: pkgtool did not end by the signal (status $status)"
  rm -f "$work/hold"
  for _ in $(seq 50); do [ -e "$work/killed/setup.exe" ] && break; sleep 0.1; done
  named=$(sed -n 5p "$work/recorded")
  [ "$named" != - ] || named=
  left=$(grep -rl s3cret "$work/tmp" "$work/killed" $named </dev/null 2>/dev/null)
  [ -z "$left" ] || fail "SIG$signal: the password was left on disk: $left"
  [ -z "$(ls -A "$work/tmp")" ] || fail "SIG$signal: pkgtool left $(ls -A "$work/tmp") in TMPDIR"
done

finish

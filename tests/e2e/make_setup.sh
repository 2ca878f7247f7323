#!/usr/bin/env bash
# pkgtool.exe make-setup under Wine: a setup for the demo product made from the stub (a small
# windres-built stand-in for setup.exe) without a compiler. The result runs, and what it reads
# back through FindResourceW is the package, the pictures and the slides given, with its title
# string, icon and version kept. The same inputs give the same bytes; --sign is refused by the
# Windows build, which has no osslsigncode. Arguments: BUILD_DIR SOURCE_DIR.
set -uo pipefail
# make-setup takes only a 32-bit (PE32) stub, as setup.exe ships: the 64-bit test build has no
# stub it accepts, and that tier runs no 32-bit program.
if [ "${TS_WINE_BITS:-32}" = 64 ]; then
  echo "SKIP: make-setup takes only a 32-bit stub; the 64-bit test tier cannot make or run one"
  exit 77
fi
build=$(cd "$1" && pwd) src=$(cd "$2" && pwd)
source "$src/scripts/wine-env"
source "$src/scripts/lib/wine-session.bash"
work="$build/e2e-make-setup.$$"
rm -rf "$work" && mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
session_work=$work  # the project's prefix itself: this test changes nothing in it
pkgtool="$build/tools/pkgtool.exe"
digest() { sha256sum "$1" | cut -d' ' -f1; }

cp "$build/stub/setup_stub.exe" "$work/stub.exe"
mkdir -p "$work/pictures"
/usr/bin/convert -size 536x304 xc:'#204060' BMP3:"$work/pictures/language.bmp"
/usr/bin/convert -size 60x16 xc:'#c00000' "$work/pictures/flag-zh.png"
/usr/bin/convert -size 536x304 xc:'#406020' BMP3:"$work/pictures/slide1.bmp"
cd "$work" || exit 1
w "$pkgtool" bundle slides.bin pictures/slide1.bmp >/dev/null || { echo "FAIL: bundle"; exit 1; }

w "$pkgtool" make-setup "$build/demo/manifest.xml" -o setup.exe --stub stub.exe --pictures pictures \
  >"$work/make.txt"
check "make-setup exits 0 and prints nothing" test "$?" -eq 0 -a ! -s "$work/make.txt"
w "$work/setup.exe" >"$work/run.txt"
check "the setup runs" test "$?" -eq 0
line() { grep -qx "$1" "$work/run.txt"; }
check "RES_DATA 199 is the demo package" line "RES_DATA 199 size=$(stat -c %s "$build/demo/package.bin") sha256=$(digest "$build/demo/package.bin")"
check "BMP 204 is language.bmp" line "BMP 204 size=$(stat -c %s pictures/language.bmp) sha256=$(digest pictures/language.bmp)"
check "PNG 207 is flag-zh.png" line "PNG 207 size=$(stat -c %s pictures/flag-zh.png) sha256=$(digest pictures/flag-zh.png)"
check "RES_IMAGE_DATA 250 holds the slides" line "RES_IMAGE_DATA 250 size=$(stat -c %s slides.bin) sha256=$(digest slides.bin)"
check "PNG 200 kept from the stub" line "PNG 200 size=$(stat -c %s "$src/tests/windows/data/tiny.png") sha256=$(digest "$src/tests/windows/data/tiny.png")"
check "no picture that was not given" line "BMP 236 absent"
check "title string kept" line "string 105=Multitouch Driver Installation"
check "icon kept" line "icon 107=loaded"
check "version kept" line "version=Setup stub for tests"

w "$pkgtool" make-setup "$build/demo/manifest.xml" -o again.exe --stub stub.exe --pictures pictures >/dev/null
check "the same inputs give the same bytes" cmp setup.exe again.exe

w "$pkgtool" make-setup "$build/demo/manifest.xml" -o signed.exe --stub stub.exe --sign a.pem b.pem \
  >"$work/sign.txt"
check "--sign is refused" test "$?" -eq 1
check "--sign says why" grep -q 'needs osslsigncode, which pkgtool.exe does not run' "$work/sign.txt"
check "--sign writes nothing" test ! -e signed.exe

if [ $failures -ne 0 ]; then
  for f in make run sign; do echo "--- $f"; cat "$work/$f.txt"; done
  echo "FAIL: $failures checks failed"; exit 1
fi
echo "PASS"

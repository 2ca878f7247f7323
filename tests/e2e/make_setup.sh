#!/usr/bin/env bash
# pkgtool.exe make-setup under Wine: a setup for the demo product made from the stub (a small
# windres-built stand-in for setup.exe, of the tier's bitness) without a compiler. The result
# runs, and what it reads back through FindResourceW is the package, the pictures and the
# slides given, with its title string and icon kept and the version the manifest gives. A
# product's own title, icon and version texts are what Windows reads of its setup. The same
# inputs give the same bytes; --sign is refused by the Windows build, which has no
# osslsigncode. Arguments: BUILD_DIR SOURCE_DIR.
set -uo pipefail
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
check "the stub's description kept" line "version=Setup stub for tests"
check "the manifest's version numbers" line "version numbers=6.0.2.0"
check "the manifest's company" line "version CompanyName=Brenmark"

# --- a product's own title, icon and version texts, as Windows reads them
mkdir -p look/payload
printf 'x' >look/payload/a.txt
/usr/bin/convert -size 16x16 xc:'#2040a0' PNG32:look/16.png
/usr/bin/convert -size 48x48 xc:'#a04020' PNG32:look/48.png
icotool -c -b 32 -o look/quillon.ico look/16.png look/48.png
cat >look/manifest.xml <<'XML'
<InstallerPackage root="QuillonTouch" payload="payload">
  <Company name="Quillon &amp; Co"/>
  <Product name="QuillonTouch"/>
  <Version value="2.5.1"/>
  <SetupTitle text="Quillon Touch Frame Setup"/>
  <SetupIcon path="quillon.ico"/>
  <FileDescription text="Quillon touch frame drivers"/>
  <Copyright text="(c) 2026 Quillon &amp; Co"/>
</InstallerPackage>
XML
w "$pkgtool" make-setup look/manifest.xml -o look.exe --stub stub.exe >"$work/look-make.txt"
check "make-setup with a title, icon and version" test "$?" -eq 0 -a ! -s "$work/look-make.txt"
w "$work/look.exe" >"$work/look.txt"
check "the product's setup runs" test "$?" -eq 0
look() { grep -qxF "$1" "$work/look.txt"; }
check "LoadStringW reads its title" look "string 105=Quillon Touch Frame Setup"
check "LoadIconW loads its icon" look "icon 107=loaded"
check "LoadImageW picks its 16-pixel image" look "icon 107 at 16=16"
check "LoadImageW picks its 48-pixel image" look "icon 107 at 48=48"
check "the file version Windows reads" look "version numbers=2.5.1.0"
check "its description" look "version=Quillon touch frame drivers"
check "its company" look "version CompanyName=Quillon & Co"
check "its product name" look "version ProductName=QuillonTouch"
check "its version texts" look "version FileVersion=2.5.1"
check "its product version text" look "version ProductVersion=2.5.1"
check "its copyright" look "version LegalCopyright=(c) 2026 Quillon & Co"
check "still the product's package" grep -q '^RES_DATA 199 size=' "$work/look.txt"
w "$pkgtool" info look.exe >"$work/info.txt"
check "pkgtool.exe info reads the title" grep -qx 'title: Quillon Touch Frame Setup' "$work/info.txt"
check "pkgtool.exe info reads the icon" grep -qx 'icon: 16x16 32-bit, 48x48 32-bit' "$work/info.txt"
check "pkgtool.exe info reads the version" grep -qx 'file version: 2.5.1.0' "$work/info.txt"
check "pkgtool.exe info reads the copyright" grep -qx 'LegalCopyright: (c) 2026 Quillon & Co' "$work/info.txt"

w "$pkgtool" make-setup "$build/demo/manifest.xml" -o again.exe --stub stub.exe --pictures pictures >/dev/null
check "the same inputs give the same bytes" cmp setup.exe again.exe

w "$pkgtool" make-setup "$build/demo/manifest.xml" -o signed.exe --stub stub.exe --sign a.pem b.pem \
  >"$work/sign.txt"
check "--sign is refused" test "$?" -eq 1
check "--sign says why" grep -q 'needs osslsigncode, which pkgtool.exe does not run' "$work/sign.txt"
check "--sign writes nothing" test ! -e signed.exe

if [ $failures -ne 0 ]; then
  for f in make run sign look-make look info; do echo "--- $f"; cat "$work/$f.txt"; done
  echo "FAIL: $failures checks failed"; exit 1
fi
echo "PASS"

#!/usr/bin/env bash
# Names that would lead out of a folder: build refuses them in a payload and in the names of
# records, the loader rejects a package that holds them, and extract never writes outside its
# folder nor through a symbolic link planted in it.
source "$(dirname "$0")/helpers.bash"

# --- build: names in the payload and in the records
# refused WHAT PATTERN: building $work/m/manifest.xml fails naming the cause, writing nothing.
refused() {
  rm -f "$work/m/out.bin"
  run "$pkgtool" build "$work/m/manifest.xml" -o "$work/m/out.bin"
  expect_eq "$rc" "1" "$1: exit code"
  expect_match "$err" "$2" "$1: message"
  [ -e "$work/m/out.bin" ] && fail "$1: a package was written"
}
manifest() {
  { echo '<InstallerPackage root="KorvelServerV6" payload="payload"><Company name="Brenmark"/><Product name="KorvelServerV6"/>'
    for r in "$@"; do echo "  $r"; done
    echo '</InstallerPackage>'; } >"$work/m/manifest.xml"
}
make_payload "$work/m/payload"
manifest '<Company name="Brenmark"/>' '<Product name="KorvelServerV6"/>'
run "$pkgtool" build "$work/m/manifest.xml" -o "$work/m/out.bin"
expect_eq "$rc:$err" "0:" "plain names build"

for bad in 'a:b' $'ctl\001x' 'trailing.' 'trailing ' 'what?'; do
  : >"$work/m/payload/$bad"
  refused "payload name [$bad]" 'payload name ".*" is not a plain name'
  rm -f "$work/m/payload/$bad"
done

manifest '<Company name="..\evil"/>'
refused "Company with .." ':2: Company: name "\.\.\\evil" is not a plain name'
manifest '<Product name="a\b"/>'
refused "Product with a backslash" ':2: Product: name "a\\b" is not a plain name'
manifest '<StartMenuShortcut path="KorvelPanel.exe" name="..\..\Startup\x"/>'
refused "start-menu shortcut with .." ':2: StartMenuShortcut: name ".*" is not a plain name'
manifest '<DesktopShortcut path="KorvelPanel.exe" name="sub\x"/>'
refused "desktop shortcut with a backslash" ':2: DesktopShortcut: name ".*" is not a plain name'
manifest '<DesktopMenuEntry path="KorvelPanel.exe" name=".."/>'
refused "menu entry named .." ':2: DesktopMenuEntry: name "\.\." is not a plain name'

# The product folder is named after the Product; a root folder named otherwise would have put
# the log where nothing was installed.
manifest '<Company name="Brenmark"/>' '<Product name="OtherName"/>'
refused "Product other than the root" ':3: Product: name "OtherName" is not the root folder name "KorvelServerV6"'

# --- the loader: a package whose names leave their folder is damaged
"$pkgtool" build "$demo/manifest.xml" -o "$work/demo.bin" || fail "demo build"
mkdir -p "$work/p/payload"
printf 'planted' >"$work/p/payload/PLANTED-0001.txt"
printf '<InstallerPackage root="R" payload="payload"><Company name="C"/><Product name="R"/></InstallerPackage>\n' >"$work/p/manifest.xml"
"$pkgtool" build "$work/p/manifest.xml" -o "$work/p.bin" || fail "build of the plant"
# Same length in UTF-16 units, so every offset in the package stays right.
/usr/bin/python3 - "$work/p.bin" <<'PY'
import sys
path = sys.argv[1]
data = open(path, 'rb').read()
bad = data.replace('PLANTED-0001.txt'.encode('utf-16-le'), '..\\..\\escape.txt'.encode('utf-16-le'))
assert bad != data
open(path, 'wb').write(bad)
PY
mkdir -p "$work/x/y"
run "$pkgtool" extract "$work/p.bin" "$work/x/y/out"
expect_eq "$rc" "1" "escaping name: exit code"
expect_match "$err" "^package rejected: a name in the file block would leave its folder$" \
  "escaping name: message"
[ -e "$work/x/escape.txt" ] && fail "escaping name: a file was written outside the folder"
run "$pkgtool" list "$work/p.bin"
expect_eq "$rc" "1" "escaping name: list refuses it too"

# --- extract never writes through a symbolic link planted in its folder
mkdir -p "$work/s/out" "$work/outside"
ln -s "$work/outside" "$work/s/out/driver"
printf 'victim' >"$work/victim.txt"
ln -s "$work/victim.txt" "$work/s/out/KorvelPanel.exe"
run "$pkgtool" extract "$work/demo.bin" "$work/s/out"
expect_eq "$rc" "1" "planted links: exit code"
expect_match "$err" "^pkgtool: cannot write " "planted links: message"
expect_eq "$(ls -A "$work/outside")" "" "planted links: nothing written behind the folder link"
expect_eq "$(cat "$work/victim.txt")" "victim" "planted links: the linked file is untouched"

# --- nor through a second name (hard link) of another file planted there
mkdir -p "$work/h/out"
printf 'victim' >"$work/h/victim.txt"
ln "$work/h/victim.txt" "$work/h/out/KorvelPanel.exe"
run "$pkgtool" extract "$work/demo.bin" "$work/h/out"
expect_eq "$rc" "1" "planted hard link: exit code"
expect_match "$err" "^pkgtool: cannot write " "planted hard link: message"
expect_eq "$(cat "$work/h/victim.txt")" "victim" "planted hard link: the other name's file is untouched"

finish

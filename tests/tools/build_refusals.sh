#!/usr/bin/env bash
# Every refusal of `pkgtool build`: exit 1, one line on stderr naming the manifest line and the
# cause, nothing on stdout, and the output file left as it was.
source "$(dirname "$0")/helpers.bash"

make_payload "$work/payload"

# refused LINE PATTERN WHAT: builds $work/manifest.xml over an existing output and checks the
# refusal.
refused() {
  local line=$1 pattern=$2 what=$3
  printf 'previous package' >"$work/out.bin"
  run "$pkgtool" build "$work/manifest.xml" -o "$work/out.bin"
  expect_eq "$rc" "1" "$what: exit code"
  expect_eq "$out" "" "$what: stdout"
  expect_eq "$(wc -l <"$work/stderr")" "1" "$what: one line on stderr"
  expect_match "$err" "^$work/manifest.xml:$line: .*$pattern" "$what: message"
  expect_eq "$(cat "$work/out.bin")" "previous package" "$what: output untouched"
}

# manifest RECORDS...: one record per line, starting on line 2.
manifest() {
  { echo '<InstallerPackage root="KorvelServerV6" payload="payload"><Company name="Brenmark"/><Product name="KorvelServerV6"/>'
    for r in "$@"; do echo "  $r"; done
    echo '</InstallerPackage>'; } >"$work/manifest.xml"
}

# Sanity: the manifest shape used below builds.
manifest '<Company name="Brenmark"/>' '<MainApp path="KorvelPanel.exe"/>'
run "$pkgtool" build "$work/manifest.xml" -o "$work/good.bin"
expect_eq "$rc:$out:$err" "0::" "a good manifest builds"

manifest '<Company name="Brenmark"/>' '<MainApp path="Missing.exe"/>'
refused 3 'MainApp: path "Missing.exe" is not in the payload' "record path not in the payload"

# The installer's lookup is case-sensitive: the wrong case would do nothing at install time.
manifest '<Licence language="0" path="license.txt"/>'
refused 2 'Licence: path "license.txt" is not in the payload' "path in another case"

manifest '<DriverScripts installX86="driver\InstallUsbDriverX86.bat" uninstallX64="driver\Gone.bat"/>'
refused 2 'DriverScripts: path "driver\\Gone.bat" is not in the payload' "driver path missing"

manifest '<DriverScripts uninstallX86="driver\UninstallUsbDriverX86.bat"/>'
refused 2 'DriverScripts: .*needs an x86 or x64 install script' "driver set without install"

manifest '<Company name="Brenmark"/>' '<Company name="Brenmark"/>' '<Shortcut path="KorvelPanel.exe"/>'
refused 4 'unknown element "Shortcut"' "unknown element"

manifest '<Service path="VantrelService.exe" descripton="typo"/>'
refused 2 'Service: unknown attribute "descripton"' "unknown attribute"

manifest '<Company name="Brenmark"><Product name="x"/></Company>'
refused 2 'unknown element "Product" inside Company' "element inside a record"

manifest '<StartMenuShortcut path="KorvelPanel.exe"/>'
refused 2 'StartMenuShortcut: missing attribute "name"' "missing attribute"

manifest '<Licence language="5" path="License.txt"/>'
refused 2 'Licence: language "5" is not one of' "licence language out of range"

long=$(printf 'n%.0s' $(seq 260))
manifest '<Company name="Brenmark"/>' "<StartMenuShortcut path=\"KorvelPanel.exe\" name=\"$long\"/>"
refused 3 'StartMenuShortcut: the name is longer than 259 UTF-16 units' "name of 260 units"
manifest "<Company name=\"$long\"/>"
refused 2 'Company: the text is longer than 259 UTF-16 units' "company of 260 units"

# 259 units still fit (too long to name the settings key after, so that is given).
manifest "<Company name=\"${long:1}\"/><SettingsKey name=\"K\"/><DataFolder name=\"D\"/>"
run "$pkgtool" build "$work/manifest.xml" -o "$work/good.bin"
expect_eq "$rc:$err" "0:" "a name of 259 units"

# A folder path (the name a directory entry carries) over 259 units, from the payload itself.
deep="$work/deep"
make_payload "$deep"
part=$(printf 'd%.0s' $(seq 130))
mkdir -p "$deep/$part/$part"
printf 'x' >"$deep/$part/$part/f.txt"
sed 's|payload="payload"|payload="deep"|' "$work/manifest.xml" >"$work/m" && mv "$work/m" "$work/manifest.xml"
refused 1 "is longer than 259 UTF-16 units" "folder path of 261 units"

manifest '<Company name="Brenmark"/>'
sed -i 's|payload="payload"|payload="nowhere"|' "$work/manifest.xml"
refused 1 'the payload folder ".*nowhere" does not exist' "missing payload folder"

printf '<InstallerPackage root="R" payload="payload" extra="1"/>\n' >"$work/manifest.xml"
refused 1 'InstallerPackage: unknown attribute "extra"' "unknown root attribute"

printf '<?xml version="1.0"?>\n<Installer root="R" payload="payload"/>\n' >"$work/manifest.xml"
refused 2 'the root element is "Installer"' "wrong root element"

printf '<InstallerPackage root="R" payload="payload">\n  <Company name="B">\n</InstallerPackage>\n' \
  >"$work/manifest.xml"
refused '[0-9]+' 'not well-formed XML' "malformed XML"

# Everything a setup needs: without a Company or a Product the installation folder has no name.
printf '<InstallerPackage root="R" payload="payload">\n  <Product name="R"/>\n</InstallerPackage>\n' \
  >"$work/manifest.xml"
refused 1 'Company: missing: add <Company name="YOUR COMPANY"/> inside InstallerPackage' "no Company"
printf '<InstallerPackage root="R" payload="payload">\n  <Company name="B"/>\n</InstallerPackage>\n' \
  >"$work/manifest.xml"
refused 1 'Product: missing: add <Product name="R"/> inside InstallerPackage' "no Product"

# The parser would drop an ampersand or an entity XML does not define: refused with its line,
# never changed silently. Defined entities, character references and "&" in a comment stay fine.
manifest '<Company name="Quillon & Co"/>'
refused 2 'an "&" that starts no entity \(write &amp; for an ampersand\)' "a stray ampersand"
manifest '<!-- ok -->' '<Company name="Quillon &copy;"/>'
refused 3 '"&copy;" is no XML entity' "an entity XML does not define"
manifest '<!-- Q & A -->' '<Company name="Quillon &amp; Co &#169;&#xA9;"/>' '<MainApp path="KorvelPanel.exe"/>'
run "$pkgtool" build "$work/manifest.xml" -o "$work/amp.bin"
expect_eq "$rc:$err" "0:" "defined entities build"
expect_match "$("$pkgtool" script "$work/amp.bin")" "Quillon & Co ©©" "entities read as written"

# Text that stops inside a character is refused without reading past its end (the sanitizer
# build would see such a read).
for tail in '\xF0' 'x\xE3' '\xC3'; do
  printf "<InstallerPackage root=\"R$tail" >"$work/manifest.xml"
  refused '[0-9]+' 'not well-formed XML' "manifest ending inside a character ($tail)"
done

# The product's identity: each element once, names as the installer reads them.
manifest '<SettingsKey name="Quillon.Touch"/>'
refused 2 'SettingsKey: name "Quillon.Touch" is not a plain name of at most 250 characters without "."' \
  "settings key with a dot"
manifest '<SettingsKey name="..\Microsoft"/>'
refused 2 'SettingsKey: name ".*" is not a plain name' "settings key leaving SOFTWARE"
manifest '<DataFolder name="a\b"/>'
refused 2 'DataFolder: name "a.b" is not a plain name' "data folder of two levels"
manifest '<Version value="1.2.3.4.5"/>'
refused 2 'Version: value "1.2.3.4.5" is not one to four numbers from 0 to 65535' "version of five parts"
manifest '<Version value="70000"/>'
refused 2 'Version: value "70000" is not one to four numbers' "version part over 65535"
manifest '<Version value="1.0"/>' '<Version value="1.1"/>'
refused 3 'Version: given twice \(first on line 2\)' "version given twice"
manifest '<SettingsKey key="K"/>'
refused 2 'SettingsKey: unknown attribute "key"' "identity element with another attribute"
manifest '<DataFolder/>'
refused 2 'DataFolder: missing attribute "name"' "identity element without its value"
manifest "<Company name=\"${long:1}\"/>"
refused 1 'made from Company and Product is too long for the settings key' "derived name too long"

# What a manifest that names no identity gets: "Company Product" ("." made "_") and version 1.0.
identity_of() { "$pkgtool" script "$work/good.bin" | head -3 | cut -f2 | paste -sd'|'; }
manifest '<Company name="Quillon Co.Ltd"/>'
run "$pkgtool" build "$work/manifest.xml" -o "$work/good.bin"
expect_eq "$rc:$(identity_of)" "0:Quillon Co_Ltd KorvelServerV6|Quillon Co_Ltd KorvelServerV6|1.0" \
  "identity made from Company and Product"
manifest '<Version value="6.0.2"/>' '<DataFolder name="Quillon Data"/>' '<SettingsKey name="Quillon"/>'
run "$pkgtool" build "$work/manifest.xml" -o "$work/good.bin"
expect_eq "$rc:$(identity_of)" "0:Quillon|Quillon Data|6.0.2" "identity as given, in any order"

# The setup's own title, icon and version texts: each once, one line of text, an icon that is
# one; checked by every build, not only by make-setup.
manifest '<SetupTitle text="Quillon Touch"/>' '<SetupTitle text="Again"/>'
refused 3 'SetupTitle: given twice \(first on line 2\)' "title given twice"
title95=$(printf 'T%.0s' $(seq 95))
manifest "<SetupTitle text=\"$title95\"/>"
refused 2 'SetupTitle: text "T+" is not 1 to 94 characters' "title too long for its buffer"
manifest '<SetupTitle text=""/>'
refused 2 'SetupTitle: text "" is not 1 to 94 characters' "empty title"
manifest '<FileDescription text="two&#10;lines"/>'
refused 2 'FileDescription: text holds a line break or another control character \(give one line of text\)' \
  "description with a line break"
manifest '<Copyright name="Quillon"/>'
refused 2 'Copyright: unknown attribute "name"' "copyright with another attribute"
manifest '<SetupIcon path=""/>'
refused 2 'SetupIcon: path is empty \(name an .ico file, relative to the manifest\)' "icon without a path"
manifest '<SetupIcon path="missing.ico"/>'
refused 2 'SetupIcon: cannot read ".*missing.ico" \(the path is relative to the manifest\)' "icon missing"
printf 'not an icon' >"$work/text.ico"
manifest '<SetupIcon path="text.ico"/>'
refused 2 'SetupIcon: ".*text.ico" is not a usable icon: not an icon \(no icon directory at its start\) \(save it as an .ico file\)' \
  "icon that is no icon"
# One entry whose image would lie past the end of the file.
printf '\0\0\1\0\1\0\20\20\0\0\1\0\40\0\0\1\0\0\26\0\0\0' >"$work/short.ico"
manifest '<SetupIcon path="short.ico"/>'
refused 2 'SetupIcon: .* is not a usable icon: image 1 of the icon lies outside the file' "icon cut short"

# The product's touch devices: one element, ids in hexadecimal with 0x, products each once.
manifest '<TouchDevice vendor="AAEC"/>'
refused 2 'TouchDevice: vendor "AAEC" is not a USB vendor id: write it in hexadecimal from 0x0001 to 0xFFFF' "vendor without 0x"
manifest '<TouchDevice vendor="0x0000"/>'
refused 2 'TouchDevice: vendor "0x0000" is not a USB vendor id' "vendor 0"
manifest '<TouchDevice vendor="0x12345"/>'
refused 2 'TouchDevice: vendor "0x12345" is not a USB vendor id' "vendor of five digits"
manifest '<TouchDevice vendor="0x"/>'
refused 2 'TouchDevice: vendor "0x" is not a USB vendor id' "vendor without digits"
manifest '<TouchDevice vendor="0x1234" products="0x0001 0xG002"/>'
refused 2 'TouchDevice: product id "0xG002" is not a USB product id' "product id not hexadecimal"
manifest '<TouchDevice vendor="0x1234" products="0x0001,0x0002"/>'
refused 2 'TouchDevice: product id "0x0001,0x0002" is not a USB product id: .*separated by spaces' "product ids with a comma"
manifest '<TouchDevice vendor="0x1234" products="0x0001 0x2 0x0002"/>'
refused 2 'TouchDevice: product id 0x0002 is listed twice' "product id twice, written two ways"
manifest '<TouchDevice vendor="0x1234" products=" "/>'
refused 2 'TouchDevice: products is empty: leave it out' "empty product list"
manifest "<TouchDevice vendor=\"0x1234\" products=\"$(printf '0x%04X ' $(seq 1 17))\"/>"
refused 2 'TouchDevice: more than 16 product ids' "seventeen product ids"
manifest '<TouchDevice vendor="0x1234"/>' '<TouchDevice vendor="0x5678"/>'
refused 3 'TouchDevice: given twice \(first on line 2\)' "two TouchDevice elements"
manifest '<TouchDevice vendor="0x1234" product="0x0001"/>'
refused 2 'TouchDevice: unknown attribute "product"' "misspelt products"
manifest '<TouchDevice products="0x0001"/>'
refused 2 'TouchDevice: missing attribute "vendor"' "no vendor"

# What the package then carries: the defaults without the element, else the ids as given.
devices_of() { "$pkgtool" script "$work/good.bin" | grep '^touchDevices' | cut -f2- | tr '\t' '|'; }
manifest '<Company name="Brenmark"/>'
run "$pkgtool" build "$work/manifest.xml" -o "$work/good.bin"
expect_eq "$rc:$(devices_of)" "0:0xAAEC|any" "no TouchDevice: the demo frames"
manifest '<TouchDevice vendor="0x2e8a"/>'
run "$pkgtool" build "$work/manifest.xml" -o "$work/good.bin"
expect_eq "$rc:$(devices_of)" "0:0x2E8A|any" "a vendor alone"
manifest '<TouchDevice vendor="0X1234" products="  0xc0de	0x0 0xFFFF "/>'
run "$pkgtool" build "$work/manifest.xml" -o "$work/good.bin"
expect_eq "$rc:$(devices_of)" "0:0x1234|0xC0DE 0x0000 0xFFFF" "a vendor and its products"

# An unreadable manifest names no line.
printf 'previous package' >"$work/out.bin"
run "$pkgtool" build "$work/absent.xml" -o "$work/out.bin"
expect_eq "$rc" "1" "absent manifest: exit code"
expect_match "$err" "absent.xml: cannot read the manifest" "absent manifest: message"

# Deep nesting ended pkgtool on its stack (200,000 levels); a manifest holds a root and its
# records, and is refused before the XML library sees more.
{ echo '<InstallerPackage root="KorvelServerV6" payload="payload">'
  for _ in $(seq 200000); do printf '<a>'; done; echo; } >"$work/deep.xml"
printf 'previous package' >"$work/out.bin"
run "$pkgtool" build "$work/deep.xml" -o "$work/out.bin"
expect_eq "$rc:$out" "1:" "200,000 nested elements: exit code"
expect_eq "$err" "$work/deep.xml: the manifest holds more than 2048 elements" "200,000 nested elements"
expect_eq "$(cat "$work/out.bin")" "previous package" "200,000 nested elements: output untouched"
{ echo '<InstallerPackage root="KorvelServerV6" payload="payload">'
  for _ in $(seq 17); do printf '<a>'; done; for _ in $(seq 17); do printf '</a>'; done
  echo '</InstallerPackage>'; } >"$work/deep.xml"
run "$pkgtool" build "$work/deep.xml" -o "$work/out.bin"
expect_eq "$err" "$work/deep.xml: the manifest nests elements deeper than 16 levels" "18 levels"
head -c $((4 * 1024 * 1024 + 1)) /dev/zero | tr '\0' ' ' >"$work/big.xml"
run "$pkgtool" build "$work/big.xml" -o "$work/out.bin"
expect_eq "$rc" "1" "a manifest over 4 MiB: exit code"
expect_match "$err" "cannot read the manifest, or it is larger than 4194304 bytes" "over 4 MiB"

# Arguments the tool does not understand are a usage error, not a build.
run "$pkgtool" build "$work/manifest.xml"
expect_eq "$rc" "2" "build without -o"

finish

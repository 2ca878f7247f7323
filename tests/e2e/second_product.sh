#!/usr/bin/env bash
# A release engineer's setup.exe for a product of their own, made by the native pkgtool
# make-setup from a manifest and payload (and pictures of their own) without a compiler:
# under Wine it installs that product (its files, service, shortcuts, Uninstall entry) and its
# Uninstall entry's command removes it all again; its setup.exe carries its own title, icon and
# version texts. The stub is setup.exe's test build (of the tier's bitness), since no touch
# device exists here.
# Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"
query="$fixtures/fixture_service_query.exe"
not() { ! "$@"; }
pkgtool="$src/build/native/tools/pkgtool"

# --- the other vendor's product: a service, a program, the project's uninstaller, a licence
payload="$work/payload"
mkdir -p "$payload/bin" "$payload/docs"
cp "$fixtures/fixture_service.exe" "$payload/bin/OrbisHost.exe"
cp "$fixtures/fixture_window.exe" "$payload/bin/OrbisPanel.exe"
cp "$build/uninstall/Uninstall.exe" "$payload/Uninstall.exe"
printf '\xff\xfeO\x00r\x00b\x00i\x00s\x00' >"$payload/docs/Licence.txt"
printf 'Orbis Pointing Systems\r\n' >"$payload/docs/readme.txt"
cat >"$work/manifest.xml" <<'XML'
<InstallerPackage root="OrbisTouch" payload="payload">
  <Company name="Orbis"/>
  <Product name="OrbisTouch"/>
  <MainApp path="bin\OrbisHost.exe"/>
  <Uninstaller path="Uninstall.exe"/>
  <StartMenuShortcut path="bin\OrbisPanel.exe" name="Orbis Panel"/>
  <StartMenuShortcut path="Uninstall.exe" name="Uninstall Orbis"/>
  <Service path="bin\OrbisHost.exe" description="Orbis touch host"/>
  <Licence language="1" path="docs\Licence.txt"/>
  <SetupTitle text="Orbis Touch Setup"/>
  <SetupIcon path="orbis.ico"/>
  <FileDescription text="Orbis pointing drivers"/>
</InstallerPackage>
XML
/usr/bin/convert -size 32x32 xc:'#2E6B3A' "PNG32:$work/orbis.png"
icotool -c -b 32 -o "$work/orbis.ico" "$work/orbis.png"
pictures="$work/pictures"
mkdir -p "$pictures"
/usr/bin/convert -size 536x304 gradient:'#2E6B3A-#5FA36E' "BMP3:$pictures/language.bmp"
"$pkgtool" make-setup "$work/manifest.xml" -o "$work/orbis-setup.exe" \
  --stub "$build/setup/setup-usbsim.exe" --test-build --pictures "$pictures"
check "make-setup makes the other product's setup" test -s "$work/orbis-setup.exe"
"$pkgtool" make-setup "$work/manifest.xml" -o "$work/again.exe" \
  --stub "$build/setup/setup-usbsim.exe" --test-build --pictures "$pictures"
check "the same inputs give the same bytes" cmp "$work/orbis-setup.exe" "$work/again.exe"
"$pkgtool" info "$work/orbis-setup.exe" >"$work/info.txt"
check "its window title" grep -qx 'title: Orbis Touch Setup' "$work/info.txt"
check "its icon" grep -qx 'icon: 32x32 32-bit' "$work/info.txt"
check "its file version: 1.0 when the manifest names none" grep -qx 'file version: 1.0.0.0' "$work/info.txt"
check "its description" grep -qx 'FileDescription: Orbis pointing drivers' "$work/info.txt"
check "its company" grep -qx 'CompanyName: Orbis' "$work/info.txt"

# --- installed quietly by its own setup.exe
product="$program_files_win\\Orbis\\OrbisTouch"
productDir="$drive/$program_files/Orbis/OrbisTouch"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orbis OrbisTouch'
state() {
  echo "== files"; (cd "$drive" && find "$program_files/Orbis" \
    "$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orbis" 2>/dev/null | sort)
  echo "== entry"; w reg query "$entry"
  echo "== key"; w reg query 'HKLM\SOFTWARE\Orbis OrbisTouch'
  echo "== service"; w "$query" OrbisHost
}
state >"$work/clean.txt"
mkdir -p "$drive/e2e/orbis"
printf 'aaec:0001\r\n' >"$drive/e2e/orbis/usb-devices.txt"
setup_start "$work/orbis-setup.exe" orbis \
  "<Unattended Lang=\"English\" EndUserLicense=\"Agree\" ShowPanel=\"No\" HID=\"1\" Path=\"$program_files_win\"/>"
check "its setup.exe installs it: exit 0" test "$(setup_exit_status)" = 0
check "its files are there" cmp "$payload/docs/readme.txt" "$productDir/docs/readme.txt"
check "its uninstaller is there" cmp "$payload/Uninstall.exe" "$productDir/Uninstall.exe"
w "$query" OrbisHost >"$work/service.txt"
check "its service runs from its folder" grep -qxF "binary=\"$product\\bin\\OrbisHost.exe\"" "$work/service.txt"
check "its service is running" grep -qx 'state=4' "$work/service.txt"
check "its start-menu shortcut" test -f "$drive/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orbis/OrbisTouch/Orbis Panel.lnk"
check "its Uninstall entry" grep -qF "$product\\Uninstall.exe" <(w reg query "$entry" /v UninstallString)
check "its publisher" grep -q 'Publisher *REG_SZ *Orbis' <(w reg query "$entry" /v Publisher)
check "its own settings key, named after it" w reg query 'HKLM\SOFTWARE\Orbis OrbisTouch' /v MainServicePath
check "not the demo product's" not w reg query 'HKLM\SOFTWARE\KorvelServerV5'
check "its version, 1.0 when the manifest names none" \
  grep -q 'DisplayVersion *REG_SZ *1.0$' <(w reg query "$entry" /v DisplayVersion)

# --- removed by its Uninstall entry's command. The test service leaves a trace file beside
# itself that no installation knows of (and that would rightly keep the folder): away with it.
until_ok 10 test -f "$productDir/bin/OrbisHost.exe.trace"
rm -f "$productDir/bin/OrbisHost.exe.trace"
uninstaller=$(w reg query "$entry" /v UninstallString | sed -n 's/.*REG_SZ *//p' | sed 's/^"\([^"]*\)".*$/\1/')
w "$uninstaller" /S >/dev/null
check "its uninstaller removes it: exit 0" test $? -eq 0
state >"$work/after.txt"
check "nothing of it is left" diff "$work/clean.txt" "$work/after.txt"
if [ "$failures" -ne 0 ]; then diff "$work/clean.txt" "$work/after.txt"; echo "FAIL: $failures checks failed"; exit 1; fi
echo "PASS"

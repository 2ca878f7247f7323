#!/usr/bin/env bash
# Two vendors' products, each naming its own touch devices in its manifest, installed side by
# side by setup.exe's test build under Wine: each setup is started only by its own vendor's
# device (the other vendor's, or the demo frames, leave a silent run waiting until it ends with
# status 4 and nothing installed), and each is removed by its own Uninstall entry while the
# other stays whole. Each setup.exe is made by make-setup from the simulated-USB test build, with
# the product's own title, version and a UTF-8 licence.
# Arguments: BUILD_DIR SOURCE_DIR.
# A silent run still makes its (hidden) window: a display is needed.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"
not() { ! "$@"; }
native_pkgtool="$src/build/native/tools/pkgtool"
list='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# product NAME COMPANY VERSION TOUCHDEVICE: a payload with a program, the project's uninstaller
# and a UTF-8 licence, built by the native pkgtool into $work/NAME.bin and made into
# $work/NAME.exe.
product() {
  local name=$1 company=$2 payload="$work/$1"
  mkdir -p "$payload/payload/bin"
  cp "$fixtures/fixture_hang.exe" "$payload/payload/bin/$name.exe"
  cp "$build/uninstall/Uninstall.exe" "$payload/payload/Uninstall.exe"
  printf 'Licence of %s: Gerätetreiber für Büro\n' "$name" >"$payload/payload/License.txt"
  cat >"$payload/manifest.xml" <<XML
<InstallerPackage root="$name" payload="payload">
  $4
  <Version value="$3"/>
  <SetupTitle text="$name Setup"/>
  <Company name="$company"/>
  <Product name="$name"/>
  <MainApp path="bin\\$name.exe"/>
  <Uninstaller path="Uninstall.exe"/>
  <Licence language="1" path="License.txt"/>
</InstallerPackage>
XML
  "$native_pkgtool" build "$payload/manifest.xml" -o "$work/$name.bin"
  "$native_pkgtool" make-setup "$payload/manifest.xml" -o "$work/$name.exe" \
    --stub "$build/setup/setup-usbsim.exe" --test-build >"$work/$name-make-setup.txt" 2>&1
}
product OrbisTouch Orbis 3.1.4 '<TouchDevice vendor="0x1234" products="0x0042 0x0043"/>'
product QuillonPad Quillon 0.9 '<TouchDevice vendor="0x2E8A"/>'
check "both packages build" test -s "$work/OrbisTouch.bin" -a -s "$work/QuillonPad.bin"
check "both setups are made" test -s "$work/OrbisTouch.exe" -a -s "$work/QuillonPad.exe"
check "Orbis's setup carries its own title" \
  grep -q 'OrbisTouch Setup' <("$native_pkgtool" info "$work/OrbisTouch.exe")
check "Quillon's setup carries its own version" \
  grep -q '0\.9' <("$native_pkgtool" info "$work/QuillonPad.exe")
check "Orbis's package names its vendor and products" \
  grep -qxP 'touchDevices\t0x1234\t0x0042 0x0043' <("$native_pkgtool" script "$work/OrbisTouch.bin")
check "Quillon's package names its vendor, any product" \
  grep -qxP 'touchDevices\t0x2E8A\tany' <("$native_pkgtool" script "$work/QuillonPad.bin")

orbis="$program_files_win\\Orbis\\OrbisTouch"
quillon="$program_files_win\\Quillon\\QuillonPad"
state() { # state NAME COMPANY: what of one product is on the machine
  echo "== key"; w reg query "$software_key\\$2 $1" /s
  echo "== entry"; w reg query "$list\\$2 $1" /s
  echo "== files"; (cd "$drive/$program_files" 2>/dev/null && find "$2" 2>/dev/null | sort)
}
orbis_state() { state OrbisTouch Orbis; }
quillon_state() { state QuillonPad Quillon; }
orbis_state >"$work/orbis-clean.txt"
quillon_state >"$work/quillon-clean.txt"

# run NAME DEVICES...: NAME's setup.exe run silently with only DEVICES ("vvvv:pppp") plugged,
# waiting at most 3 s; prints its status.
run() {
  local name=$1 dir="$drive/e2e/$1-$RANDOM"
  mkdir -p "$dir"
  cp "$work/$name.exe" "$dir/setup.exe"
  printf '%s\r\n' "${@:2}" >"$dir/usb-devices.txt"
  (cd "$dir" && timeout 300 wine "C:\\e2e\\$(basename "$dir")\\setup.exe" /S /WAIT=3 \
    "/D=$program_files_win" </dev/null >/dev/null 2>&1)
  echo $?
}

# --- a device of the other vendor, or of the product's vendor but not listed, is not its own
check "Orbis with Quillon's pad and the demo frame: no device (4)" \
  test "$(run OrbisTouch 2e8a:0042 aaec:0001)" = 4
check "Orbis with its vendor's unlisted product: no device (4)" \
  test "$(run OrbisTouch 1234:0044)" = 4
check "... and nothing of it installed" diff "$work/orbis-clean.txt" <(orbis_state)
check "Quillon with Orbis's pad: no device (4)" test "$(run QuillonPad 1234:0042)" = 4
check "... and nothing of it installed" diff "$work/quillon-clean.txt" <(quillon_state)

# --- each found by its own device, side by side
check "Orbis with its own pad among others installs (0)" \
  test "$(run OrbisTouch aaec:0001 2e8a:0001 1234:0043)" = 0
check "... its program is there" cmp "$work/OrbisTouch/payload/bin/OrbisTouch.exe" \
  "$(unix "$orbis\\bin\\OrbisTouch.exe")"
orbis_state >"$work/orbis-installed.txt"
check "Quillon with any product of its vendor installs (0)" test "$(run QuillonPad 2e8a:beef)" = 0
check "... its program is there" cmp "$work/QuillonPad/payload/bin/QuillonPad.exe" \
  "$(unix "$quillon\\bin\\QuillonPad.exe")"
quillon_state >"$work/quillon-installed.txt"
check "Orbis is whole beside it" diff "$work/orbis-installed.txt" <(orbis_state)
check "each entry has its own version" \
  grep -q 'DisplayVersion.*REG_SZ *3\.1\.4' "$work/orbis-installed.txt"
check "... Quillon's too" grep -q 'DisplayVersion.*REG_SZ *0\.9' "$work/quillon-installed.txt"

# --- each removed by its own Uninstall entry, the other left whole
remove() { # remove IDENTITY: the entry's quiet command, as a deployment tool runs it
  local program
  program=$(w reg query "$list\\$1" /v QuietUninstallString |
    sed -n 's/.*REG_SZ *//p' | sed 's/^"\([^"]*\)".*$/\1/')
  [ -n "$program" ] && w "$program" /S >/dev/null
}
check "Orbis's own entry removes it (0)" remove 'Orbis OrbisTouch'
check "nothing of Orbis is left" diff "$work/orbis-clean.txt" <(orbis_state)
check "Quillon is whole" diff "$work/quillon-installed.txt" <(quillon_state)
check "Quillon's own entry removes it (0)" remove 'Quillon QuillonPad'
check "nothing of Quillon is left" diff "$work/quillon-clean.txt" <(quillon_state)
finish

#!/usr/bin/env bash
# The demo product for real under Wine, installed by pkgtool.exe as a 32-bit installer on
# 64-bit Windows: exactly the package's files land in the installation folder and stay so
# while the service runs from it; the x64 driver scripts ran (from a 32-bit cmd); the panel
# started hidden, shows the language and endpoint of the PanelConfig.ini that was written
# (its --print lines, its window title, a screenshot) and never loads a planted SDK; the
# service answers stop and start requests; the uninstall leaves the machine as it was, apart
# from the product's logs below C:\windows\logs\Brenmark, which record all of it.
# Runs in a throw-away copy of the project's prefix, under Xvfb. Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1024x768 source "$(dirname "$0")/lib.bash" "$@"
query="$build/fixtures/fixture_service_query.exe"
logs="$drive/windows/logs/Brenmark"
shots="$build/e2e-shots"
mkdir -p "$shots"

[ -f "$build/demo/package.bin" ] || { echo "FAIL: the demo package was not built"; exit 1; }
mkdir -p "$drive/e2e"
cp "$build/demo/package.bin" "$drive/e2e/package.bin"

state() {
  local k
  for k in 'HKLM\SOFTWARE\KorvelServerV5' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvelServerV5' \
           'HKCU\Software\Microsoft\Windows\CurrentVersion\Run'; do
    echo "== $k"; w reg query "$k" /s
  done
  echo "== service"; w "$query" VantrelService
  echo "== files"
  (cd "$drive" && find "$program_files/Brenmark" users/Public/Documents/Vantrel \
      "$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Brenmark" "$user/Desktop" \
      2>/dev/null | sort)
}
state >"$work/clean.txt"

# --- install, in German, quietly: the launched panel gets " -h"
w "$pkgtool" install 'C:\e2e\package.bin' --root "$program_files_win" --lang 1031 --quiet \
  >"$work/install.txt"
check "quiet install exits 0" test "$?" -eq 0
product="$program_files_win\\Brenmark\\KorvelServerV6"
productDir="$drive/$program_files/Brenmark/KorvelServerV6"
w "$pkgtool" list 'C:\e2e\package.bin' | cut -f2 | tr '\\' '/' | sort >"$work/package-files.txt"
listing() { (cd "$productDir" && find . -type f | sed 's|^\./||' | grep -vx uninstall.log | sort); }
check "the installation folder holds exactly the package's files" \
  diff "$work/package-files.txt" <(listing)
check "the programs are the ones the build made" cmp "$build/demo/programs/KorvelPanel.exe" "$productDir/KorvelPanel.exe"

# The version deployment tools detect the installation by, and the one setup.exe and
# Uninstall.exe carry in their version resources: the demo product's.
version_of() { # version_of FILE: the ProductVersion of its version resource
  wrestool -x --raw --type=16 "$1" 2>/dev/null | /usr/bin/python3 -c '
import re, sys
text = sys.stdin.buffer.read().decode("utf-16-le", "replace")
found = re.search("ProductVersion\x00+([0-9.]+)", text)
print(found.group(1) if found else "")'
}
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvelServerV5'
displayed=$(w reg query "$entry" /v DisplayVersion | sed -n 's/.*REG_SZ *//p')
check "the Uninstall entry's DisplayVersion is the demo's version" test "$displayed" = 6.0.2
check "setup.exe's version resource says the same" test "$(version_of "$build/setup/setup.exe")" = "$displayed"
check "Uninstall.exe's too" test "$(version_of "$build/uninstall/Uninstall.exe")" = "$displayed"
check "the entry's quiet command is the quoted uninstaller with /S" \
  grep -qF "\"$product\\Uninstall.exe\" /S" <(w reg query "$entry" /v QuietUninstallString)

# --- the service
w "$query" VantrelService >"$work/service.txt"
check "service running" grep -qx 'state=4' "$work/service.txt"
check "service binary is the installed one, quoted" grep -qxF "binary=\"$product\\VantrelService.exe\"" "$work/service.txt"
check "service description" grep -qx 'description=Servicing interface for Brenmark Korvel Multitouch Device' "$work/service.txt"
until_ok 10 grep -q 'serving' "$logs/VantrelService.log"
check "the service ran from the installation folder and read the endpoint" \
  grep -qF "VantrelService running from $product, serving 127.0.0.1:6550" "$logs/VantrelService.log"
check "the running service wrote nothing into its folder" diff "$work/package-files.txt" <(listing)

# --- drivers: a 32-bit installer on 64-bit Windows runs the x64 scripts, HID first
# Each set's uninstall script runs first, clearing what an earlier version left.
for driverSet in 'hid:HID:korvelhid' 'usb:USB:korvelusb'; do
  IFS=: read -r word folder inf <<<"$driverSet"
  for action in uninstall install; do
    printf '%s %s x64 inf=present "%s\\driver\\%s\\amd64\\%s.inf" %s\n' \
      "$action" "$word" "$product" "$folder" "$inf" "$script_arch"
  done
done >"$work/drivers.expected"
tr -d '\r' <"$logs/KorvelDrivers.log" >"$work/drivers.txt"
check "only the x64 scripts ran, HID first, in the native command processor" \
  diff "$work/drivers.expected" "$work/drivers.txt"

# --- the panel: started hidden by the installation
panel="$productDir/KorvelPanel.exe"
until_ok 10 grep -qx 'running=hidden' <(w "$panel" --print)
w "$panel" --print >"$work/print.txt"
check "the installation started the panel hidden" grep -qx 'running=hidden' "$work/print.txt"
check "no panel window is visible" test -z "$(xdotool search --onlyvisible --name KorvelPanel 2>/dev/null)"
check "--print: the language written" grep -qx 'language=0x0407 German' "$work/print.txt"
check "--print: the endpoint written" grep -qx 'endpoint=127.0.0.1:6550' "$work/print.txt"
check "--print: the SDK answered" grep -qx 'sdk=PanelSdk 1.0, tcp://127.0.0.1:6550' "$work/print.txt"
check "--print: the file read" grep -qx 'config=C:\\users\\Public\\Documents\\Vantrel\\PanelConfig.ini' "$work/print.txt"
check "--print: no problem" test -z "$(grep '^problem=' "$work/print.txt")"

# Started from the Start menu, the panel shows the hidden instance's window.
w "$panel" >/dev/null
title='KorvelPanel - German - 127.0.0.1:6550'
window=$(timeout 120 xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -1)
check "the panel window shows the language and endpoint in its title" test -n "$window"
check "--print: the panel is shown" grep -qx 'running=shown' <(w "$panel" --print)
# The window is mapped before it is painted: the screen is read again until it shows the
# panel's page (or 60 s passed), however long a loaded machine takes to paint it.
panel_shot() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xwd -root -display "$DISPLAY" | /usr/bin/convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" \
    png:"$shots/korvelpanel.png"
  colours=$(/usr/bin/convert "$shots/korvelpanel.png" -format %c histogram:info:- | tr -d ' ')
  grep -qi '#005C6E' <<<"$colours" && [ "$(wc -l <<<"$colours")" -gt 4 ]
}
if [ -n "$window" ]; then
  until_ok 60 panel_shot
  panel_shot
  check "the screenshot shows the panel's band" grep -qi '#005C6E' <<<"$colours"
  check "the screenshot shows text on the page" test "$(wc -l <<<"$colours")" -gt 4
fi

# The SDK comes from the panel's own folder only: a copy of the panel without its SDK,
# started from a folder holding an impostor, finds none.
mkdir -p "$drive/lonely" "$drive/planted"
cp "$panel" "$drive/lonely/"
cp "$build/demo/impostor/PanelSdk.dll" "$drive/planted/"
(cd "$drive/planted" && w "$drive/lonely/KorvelPanel.exe" --print) >"$work/lonely.txt"
check "a planted SDK in the current folder is never loaded" \
  grep -qx 'sdk=missing: PanelSdk.dll is missing beside KorvelPanel.exe' "$work/lonely.txt"
cp "$build/demo/impostor/PanelSdk.dll" "$drive/lonely/"
check "(the impostor does load from the panel's own folder)" \
  grep -qx 'sdk=impostor PanelSdk, tcp://127.0.0.1:6550' <(cd "$drive/planted" && w "$drive/lonely/KorvelPanel.exe" --print)
rm "$drive/lonely/PanelSdk.dll"

# --- the service answers stop and start
w net stop VantrelService >/dev/null
check "service stops on request" grep -qx 'state=1' <(w "$query" VantrelService)
check "the service recorded its stop" grep -q 'VantrelService stopped on request' "$logs/VantrelService.log"
w net start VantrelService >/dev/null
check "service starts again" grep -qx 'state=4' <(w "$query" VantrelService)

# --- uninstall
w "$pkgtool" uninstall "$product\\uninstall.log" >"$work/uninstall.txt"
check "uninstall exits 0" test "$?" -eq 0
state >"$work/after.txt"
check "uninstall leaves the machine as before" diff "$work/clean.txt" "$work/after.txt"
w "$drive/lonely/KorvelPanel.exe" --print >"$work/after-print.txt"
check "the panel was closed" grep -qx 'running=no' "$work/after-print.txt"
check "without PanelConfig.ini the panel says so" grep -qx 'problem=PanelConfig.ini is missing' "$work/after-print.txt"
check "without PanelConfig.ini no language is made up" grep -qx 'language=none' "$work/after-print.txt"
check "the service stopped before it was removed" \
  test "$(tr -d '\r' <"$logs/VantrelService.log" | tail -1 | sed 's/^.*: //')" = 'VantrelService stopped on request'
check "the uninstall ran the x64 uninstall scripts, USB first" \
  test "$(tr -d '\r' <"$logs/KorvelDrivers.log" | tail -2 | cut -d' ' -f1-4 | tr '\n' '|')" = \
  'uninstall usb x64 inf=present|uninstall hid x64 inf=present|'

if [ $failures -ne 0 ]; then
  for f in install print lonely uninstall drivers; do echo "--- $f"; cat "$work/$f.txt" 2>/dev/null; done
  echo "--- service log"; cat "$logs/VantrelService.log" 2>/dev/null
  diff "$work/clean.txt" "$work/after.txt"
  echo "FAIL: $failures checks failed"; exit 1
fi
echo "PASS"

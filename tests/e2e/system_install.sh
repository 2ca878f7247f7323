#!/usr/bin/env bash
# A deployment tool's run as LocalSystem, emulated: the test build takes itself for LocalSystem
# (as-localsystem.txt beside it) while the account's own shell folders point where SYSTEM's lie
# (config\systemprofile). Such a run is per-machine: every user's Start menu and desktop, the
# HKLM Run value, nothing in SYSTEM's own folders, the panel never started as SYSTEM. It also
# sets the panel's endpoint, keeps it on an upgrade, starts the panel it closed again for the
# account it belonged to, refuses an older version (1638) unless told, and the removal from an
# administrator's account later finds everything.
# Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"
not() { ! "$@"; }
native_pkgtool="$src/build/native/tools/pkgtool"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Fleet KioskTouch'
product="$program_files_win\\Fleet\\KioskTouch"
productDir="$drive/$program_files/Fleet/KioskTouch"
common_menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Fleet/KioskTouch"
public_desktop="$drive/users/Public/Desktop"
panel_config="$drive/users/Public/Documents/Fleet KioskTouch/PanelConfig.ini"
sysprofile='C:\windows\system32\config\systemprofile'
folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'

# kiosk VERSION: the product at VERSION, its panel a program with a window, started at logon,
# after the installation and from the Start menu and the desktop; $work/kiosk-VERSION.exe.
kiosk() {
  local dir="$work/kiosk-$1"
  mkdir -p "$dir/payload"
  cp "$fixtures/fixture_window.exe" "$dir/payload/KioskPanel.exe"
  cp "$build/uninstall/Uninstall.exe" "$dir/payload/Uninstall.exe"
  printf 'Licence\n' >"$dir/payload/License.txt"
  cat >"$dir/manifest.xml" <<XML
<InstallerPackage root="KioskTouch" payload="payload">
  <Version value="$1"/>
  <Company name="Fleet"/>
  <Product name="KioskTouch"/>
  <MainApp path="KioskPanel.exe"/>
  <Uninstaller path="Uninstall.exe"/>
  <LaunchAfterInstall path="KioskPanel.exe"/>
  <RunEntry path="KioskPanel.exe"/>
  <StartMenuShortcut path="KioskPanel.exe" name="Kiosk Panel"/>
  <DesktopShortcut path="KioskPanel.exe" name="Kiosk Panel"/>
  <Licence language="1" path="License.txt"/>
</InstallerPackage>
XML
  "$native_pkgtool" make-setup "$dir/manifest.xml" -o "$work/kiosk-$1.exe" \
    --stub "$build/setup/setup-usbsim.exe" --test-build >"$dir/make-setup.txt" 2>&1
}
kiosk 2.0
kiosk 1.5
check "both setups are made" test -s "$work/kiosk-2.0.exe" -a -s "$work/kiosk-1.5.exe"
[ "$failures" -eq 0 ] || finish

# The account's own Start menu and desktop where LocalSystem's are, and back.
saved_folders=$(w reg query "$folders")
as_system() {
  local value
  for value in Programs 'Start Menu' Desktop; do
    local path="$sysprofile\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"
    [ "$value" = Programs ] && path="$path\\Programs"
    [ "$value" = Desktop ] && path="$sysprofile\\Desktop"
    mkdir -p "$(unix "$path")"
    w reg add "$folders" /v "$value" /t REG_EXPAND_SZ /d "$path" /f >/dev/null
  done
}
as_user() {
  local value data
  for value in Programs 'Start Menu' Desktop; do
    data=$(sed -n "s/^ *$value *REG_EXPAND_SZ *//p" <<<"$saved_folders")
    w reg add "$folders" /v "$value" /t REG_EXPAND_SZ /d "$data" /f >/dev/null
  done
}

n=0
log=""
status=""
# run VERSION ARGS...: that setup silently as LocalSystem with the frame plugged; its exit status
# in $status, its log C:\e2e\run-N.log in $log.
run() {
  n=$((n + 1))
  local dir="$drive/e2e/run-$n"
  log="$drive/e2e/run-$n.log"
  mkdir -p "$dir"
  cp "$work/kiosk-$1.exe" "$dir/setup.exe"
  printf 'aaec:0001\r\n' >"$dir/usb-devices.txt"
  : >"$dir/as-localsystem.txt"
  # The shell sees only the low byte of an exit status: 1638 is measured whole.
  status=$(cd "$dir" && w "$fixtures/run_measured.exe" "C:\\e2e\\run-$n\\setup.exe" /S \
    "/LOG=C:\\e2e\\run-$n.log" "${@:2}" | sed -n 's/.*exit \([0-9]*\).*/\1/p')
}
log_has() { grep -qF -- "$1" "$log" || { cat "$log" >"$why"; false; }; }
# Wine's tasklist lists nothing; its debugger lists every process.
panel_running() { w winedbg --command "info proc" | grep -qi "'KioskPanel.exe'"; }
endpoint_is() { grep -q "IP=\"$1\" Port=\"$2\"" "$panel_config" || { cat "$panel_config" >"$why"; false; }; }
version_is() { grep -q "DisplayVersion *REG_SZ *$1\$" <(w reg query "$entry" /v DisplayVersion); }
state() {
  echo "== files"; (cd "$drive" && find "$program_files/Fleet" "ProgramData/Microsoft/Windows/Start Menu/Programs/Fleet" \
    users/Public/Desktop "users/Public/Documents/Fleet KioskTouch" 2>/dev/null | sort)
  echo "== entry"; w reg query "$entry"
  echo "== run"; w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v KioskPanel
  w reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v KioskPanel
}
state >"$work/clean.txt"

as_system
run 2.0 /ENDPOINT=10.20.30.40:7000
check "as LocalSystem, with an endpoint given: installed (0)" test "$status" = 0
check "... logged as a per-machine installation" log_has 'per-machine installation: running as LocalSystem'
check "... every user's Start menu has the shortcut" test -f "$common_menu/Kiosk Panel.lnk"
check "... and the public desktop" test -f "$public_desktop/Kiosk Panel.lnk"
check "... nothing in SYSTEM's own Start menu or desktop" \
  test -z "$(find "$(unix "$sysprofile")" -name '*.lnk' 2>/dev/null)"
check "... the panel starts at logon from HKLM" \
  grep -qF "\"$product\\KioskPanel.exe\" -h" <(w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v KioskPanel)
check "... not from SYSTEM's HKCU" not w reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v KioskPanel
check "... the panel is not started as SYSTEM" not panel_running
check "... and the log says so" log_has 'not started as LocalSystem'
check "... the panel's endpoint is the one given" endpoint_is 10.20.30.40 7000
check "... the entry points at an icon: setup's, carried along" \
  grep -qF "$product\\KioskTouch.ico" <(w reg query "$entry" /v DisplayIcon)
check "... which is there" test -s "$productDir/KioskTouch.ico"

# A user has the panel open when the next run comes.
mkdir -p "$drive/e2e/panel"
(cd "$productDir" && timeout 300 wine "$product\\KioskPanel.exe" 'C:\e2e\panel' </dev/null >/dev/null 2>&1 &)
check "a user's panel runs" until_ok 60 test -f "$drive/e2e/panel/ready"
run 2.0
check "the same version again, no endpoint given: installed (0)" test "$status" = 0
check "... the user's panel was closed" test -f "$drive/e2e/panel/closed"
check "... and started again for its account" until_ok 30 panel_running
check "... as the log says" log_has 'started again for'
check "... the endpoint is kept" endpoint_is 10.20.30.40 7000

run 1.5
check "an older version: refused (1638)" test "$status" = 1638
check "... the log names the version being installed" log_has 'version being installed 1.5'
check "... the one found" log_has 'version found 2.0'
check "... and setup.exe's own" log_has 'setup.exe version 1.5.0.0'
check "... 2.0 stays" version_is 2.0
run 1.5 /ALLOWDOWNGRADE
check "told to, it replaces it (0)" test "$status" = 0
check "... 1.5 is installed" version_is 1.5
check "... still with the endpoint given first" endpoint_is 10.20.30.40 7000

# Removal later, from an administrator's account: the per-machine items are found.
as_user
uninstaller=$(w reg query "$entry" /v QuietUninstallString | sed -n 's/.*REG_SZ *//p' | sed 's/^"\([^"]*\)".*$/\1/')
w "$uninstaller" /S >/dev/null
check "the removal from another account: exit 0" test $? -eq 0
check "... leaves nothing" diff "$work/clean.txt" <(state)
finish

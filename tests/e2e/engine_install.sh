#!/usr/bin/env bash
# The installer engine for real under Wine, through pkgtool.exe: install a package built from
# real programs (a service, a windowed panel, driver scripts), check every file, registry value,
# service, shortcut and the uninstall log; install again over it; uninstall; the machine is as
# before. Then a file that cannot be created rolls everything back to the same state.
# Runs in a throw-away copy of the project's prefix, under Xvfb so the panel gets its window.
# Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=800x600 source "$(dirname "$0")/lib.bash" "$@"

# --- the package: the product's shape, with real programs inside
payload="$work/payload"
mkdir -p "$payload/driver"
cp "$fixtures/fixture_window.exe" "$payload/KorvelPanel.exe"
cp "$fixtures/fixture_service.exe" "$payload/VantrelService.exe"
cp "$fixtures/fixture_hang.exe" "$payload/Uninstall.exe"
printf 'sdk module\r\n' >"$payload/SdkClientModule.dll"
printf '\xff\xfeL\x00i\x00c\x00' >"$payload/License.txt"
for s in InstallUsbDriverX86 InstallUsbDriverX64 UninstallUsbDriverX86 UninstallUsbDriverx64 \
         InstallHIDDriverX86 InstallHIDDriverX64 UninstallHIDDriverX86 UninstallHIDDriverX64; do
  printf '@echo off\r\nif not exist C:\\e2e-trace mkdir C:\\e2e-trace\r\n>> C:\\e2e-trace\\drivers.txt echo %%~nx0\r\n' \
    >"$payload/driver/$s.bat"
done
cat >"$work/manifest.xml" <<'XML'
<InstallerPackage root="KorvelServerV6" payload="payload">
  <SettingsKey name="KorvelServerV5"/>
  <DataFolder name="Vantrel"/>
  <Company name="Brenmark"/>
  <Product name="KorvelServerV6"/>
  <MainApp path="VantrelService.exe"/>
  <Uninstaller path="Uninstall.exe"/>
  <LaunchAfterInstall path="KorvelPanel.exe"/>
  <RunEntry path="KorvelPanel.exe"/>
  <StartMenuShortcut path="KorvelPanel.exe" name="KorvelPanel"/>
  <StartMenuShortcut path="Uninstall.exe" name="Uninstall"/>
  <DesktopMenuEntry path="KorvelPanel.exe" name="KorvelPanel"/>
  <SystemFile path="SdkClientModule.dll"/>
  <DesktopShortcut path="KorvelPanel.exe" name="KorvelPanel"/>
  <Service path="VantrelService.exe" description="Servicing interface for Brenmark Korvel Multitouch Device"/>
  <DriverScripts installX86="driver\InstallUsbDriverX86.bat" installX64="driver\InstallUsbDriverX64.bat"
                 uninstallX86="driver\UninstallUsbDriverX86.bat" uninstallX64="driver\UninstallUsbDriverx64.bat"/>
  <DriverScripts installX86="driver\InstallHIDDriverX86.bat" installX64="driver\InstallHIDDriverX64.bat"
                 uninstallX86="driver\UninstallHIDDriverX86.bat" uninstallX64="driver\UninstallHIDDriverX64.bat"/>
  <Licence language="0" path="License.txt"/>
</InstallerPackage>
XML
mkdir -p "$drive/e2e"
(cd "$work" && timeout 120 wine "$pkgtool" build manifest.xml -o 'C:\e2e\package.bin' </dev/null) \
  || { echo "FAIL: pkgtool build"; exit 1; }
# The same package stored, as every pkgtool before compression made it: the second
# installation below installs that one over the compressed first.
(cd "$work" && timeout 120 wine "$pkgtool" build manifest.xml -o 'C:\e2e\stored.bin' --store </dev/null) \
  || { echo "FAIL: pkgtool build --store"; exit 1; }
flag() { echo $(($(od -An -tu4 -N 4 "$drive/e2e/$1") >> 31)); }
check "pkgtool build compresses by default" test "$(flag package.bin)" = 1
check "pkgtool build --store stores" test "$(flag stored.bin)" = 0

# --- what an installation may touch, as text
state() {
  local k
  for k in 'HKLM\SOFTWARE\KorvelServerV5' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvelServerV5' \
           'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' 'HKCR\DesktopBackground\Shell'; do
    echo "== $k"; w reg query "$k" /s
  done
  echo "== service"; w "$fixtures/fixture_service_query.exe" VantrelService
  echo "== files"
  (cd "$drive" && find "Program Files/Brenmark" users/Public/Documents/Vantrel \
      "$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Brenmark" \
      "$user/Desktop" windows/syswow64/SdkClientModule.dll windows/system32/SdkClientModule.dll \
      2>/dev/null | sort)
}
product='C:\Program Files\Brenmark\KorvelServerV6'
productDir="$drive/Program Files/Brenmark/KorvelServerV6"

# Every Windows has this key; a fresh Wine prefix does not, and the context-menu entry would
# leave it behind as the one level it had to create.
w reg add 'HKCR\DesktopBackground\Shell' /f >/dev/null
state >"$work/clean.txt"

# --- first installation, quiet
w "$pkgtool" install 'C:\e2e\package.bin' --root 'C:\Program Files' --quiet >"$work/install1.txt"
check "quiet install exits 0" test "$?" -eq 0
check "a quiet run sends only ST_WORKER_DONE" test "$(cat "$work/install1.txt")" = "ST_WORKER_DONE"
check "program files copied" cmp "$payload/VantrelService.exe" "$productDir/VantrelService.exe"
check "driver scripts copied" test -f "$productDir/driver/UninstallUsbDriverx64.bat"
# The shipped pkgtool.exe is 32-bit, as setup.exe is: on 64-bit Windows its system folder is
# SysWOW64 and its HKLM\SOFTWARE is the 32-bit view (WOW6432Node); plain `reg` here is then the
# 32-bit reg.exe. The 64-bit test build writes to the native ones (lib.bash knows which).
other_system_dir=windows/system32
[ "$system_dir" = windows/system32 ] && other_system_dir=windows/syswow64
check "system file copied into the program's system folder" test -f "$drive/$system_dir/SdkClientModule.dll"
check "nothing written into the other system folder" test ! -e "$drive/$other_system_dir/SdkClientModule.dll"
check "product key in the program's registry view" w reg query "$software_key\\KorvelServerV5" /reg:64
q() { w reg query "$1" /v "$2" | grep -F "$3"; }
check "product key MainServicePath" q 'HKLM\SOFTWARE\KorvelServerV5' MainServicePath "$product\\VantrelService.exe"
check "product key MainServiceName" q 'HKLM\SOFTWARE\KorvelServerV5' MainServiceName 'VantrelService'
check "product key LanguageID" q 'HKLM\SOFTWARE\KorvelServerV5' LanguageID '0x409'
check "uninstall entry, launch string quoted" q 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvelServerV5' UninstallString "\"$product\\Uninstall.exe\""
check "uninstall entry icon a plain path" q 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvelServerV5' DisplayIcon "REG_SZ    $product\\Uninstall.exe"
check "Run value quoted, named KorvelPanel" q 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' KorvelPanel "\"$product\\KorvelPanel.exe\" -h"
check "context menu Icon" q 'HKCR\DesktopBackground\Shell\KorvelPanel' Icon "$product\\KorvelPanel.exe"
check "context menu command quoted" q 'HKCR\DesktopBackground\Shell\KorvelPanel\command' '' "\"$product\\KorvelPanel.exe\""
# The installer waits 5 s for the service to run and goes on without it; on a loaded machine
# the service may get there later.
service_runs() { w "$fixtures/fixture_service_query.exe" VantrelService | grep -qx 'state=4'; }
check "service running" until_ok 120 service_runs
w "$fixtures/fixture_service_query.exe" VantrelService >"$work/service.txt"
check "service binary path quoted" grep -qxF "binary=\"$product\\VantrelService.exe\"" "$work/service.txt"
check "service starts automatically" grep -qx 'start=2' "$work/service.txt"
check "the service runs the installed program" test -f "$productDir/VantrelService.exe.trace"
check "service description" grep -qx 'description=Servicing interface for Brenmark Korvel Multitouch Device' "$work/service.txt"
check "start-menu shortcuts" test -f "$drive/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Brenmark/KorvelServerV6/Uninstall.lnk"
check "desktop shortcut" test -f "$drive/$user/Desktop/KorvelPanel.lnk"
printf '<Lang Id="0x0409" />\r\n<IPEndpoint IP="127.0.0.1" Port="6550" />\r\n' >"$work/panel.expected"
check "PanelConfig.ini exact" cmp "$work/panel.expected" "$drive/users/Public/Documents/Vantrel/PanelConfig.ini"
check "x64 driver scripts ran, HID first" test "$(tr -d '\r ' <"$drive/e2e-trace/drivers.txt" | tr '\n' ' ')" = \
  "UninstallHIDDriverX64.bat InstallHIDDriverX64.bat UninstallUsbDriverx64.bat InstallUsbDriverX64.bat "
w "$pkgtool" log "$product\\uninstall.log" >"$work/log1.txt"
check "the log's last record names itself" test "$(tail -1 "$work/log1.txt")" = "$(printf 'LOG_FILE\t%s\\uninstall.log' "$product")"
check "the log records the quoted Run command" grep -qxF "$(printf 'LOG_RUN_ENTRY\t"%s\\KorvelPanel.exe" -h' "$product")" "$work/log1.txt"

# --- second installation over the first, with messages, from the stored package
w "$pkgtool" install 'C:\e2e\stored.bin' --root 'C:\Program Files' >"$work/install2.txt"
check "second install exits 0" test "$?" -eq 0
for f in VantrelService.exe KorvelPanel.exe Uninstall.exe License.txt driver/InstallUsbDriverX64.bat; do
  check "the stored package installs $f as it is" cmp "$payload/$f" "$productDir/$f"
done
check "the previous version is removed first" test "$(head -1 "$work/install2.txt")" = "$(printf 'ST_PREVIOUS_VERSION\t%s' "$product")"
check "second install completes" grep -qx 'ST_COMPLETE' "$work/install2.txt"
check "service running again" until_ok 120 service_runs


# --- uninstall: back to the clean machine. The test service leaves a trace file beside itself,
# which no installation knows of: take it away first.
drop_service_trace "$product"
w "$pkgtool" uninstall "$product\\uninstall.log" >"$work/uninstall.txt"
check "uninstall exits 0" test "$?" -eq 0
state >"$work/after-uninstall.txt"
check "uninstall leaves the machine as before" diff "$work/clean.txt" "$work/after-uninstall.txt"

# --- a 64-bit copy of a product program runs from the path the installation writes: the 32-bit
# installer still finds it by its image path and asks it to close before the file is replaced.
win64="$drive/e2e-win64"
mkdir -p "$win64" "$productDir"
cp "$fixtures/fixture_window64.exe" "$productDir/KorvelPanel.exe"
(cd "$productDir" && wine "$product\\KorvelPanel.exe" 'C:\e2e-win64' </dev/null >/dev/null 2>&1 &)
check "a 64-bit product program runs" until_ok 120 test -e "$win64/ready"
w "$pkgtool" install 'C:\e2e\package.bin' --root 'C:\Program Files' --quiet >/dev/null
check "the 32-bit installer closed the running 64-bit program" test -e "$win64/closed"
check "and replaced its file" cmp "$payload/KorvelPanel.exe" "$productDir/KorvelPanel.exe"
drop_service_trace "$product"
w "$pkgtool" uninstall "$product\\uninstall.log" >/dev/null
rm -rf "$win64"
state >"$work/after-win64.txt"
check "and the machine is clean again" diff "$work/clean.txt" "$work/after-win64.txt"

# --- a file that cannot be created: the folder of that name blocks it
mkdir -p "$productDir/SdkClientModule.dll"
w "$pkgtool" install 'C:\e2e\package.bin' --root 'C:\Program Files' >"$work/install3.txt"
check "failed install exits 1" test "$?" -eq 1
check "the failure names the file" grep -qxF "$(printf 'ST_FILE_ERROR\t%s\\SdkClientModule.dll' "$product")" "$work/install3.txt"
check "the rollback ends cancelled" test "$(tail -2 "$work/install3.txt" | head -1)" = "ST_CANCELLED"
state >"$work/after-rollback.txt"
check "rollback leaves the machine as before" diff "$work/clean.txt" "$work/after-rollback.txt"

if [ $failures -ne 0 ]; then
  for f in install1 install2 install3 uninstall; do echo "--- $f"; cat "$work/$f.txt"; done
  diff "$work/clean.txt" "$work/after-uninstall.txt"
  echo "FAIL: $failures checks failed"; exit 1
fi
echo "PASS"

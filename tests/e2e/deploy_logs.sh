#!/usr/bin/env bash
# The logs of setup.exe and Uninstall.exe as a deployment tool reads them after the fact: every
# run kept (appended, set apart), a /LOG= folder that does not exist made, a named log that a
# link, a second name or another account's file would lead elsewhere refused (the default log
# says so), a default log folder someone else made first replaced by a new one, what a driver
# script wrote, and the uninstaller's own log naming what stayed and why. A removal leaves no
# PendingFileRenameOperations entry and no copy of the uninstaller. Arguments: BUILD_DIR
# SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"
pkgtool_native="$src/build/native/tools/pkgtool"

dir="$work/logs"
mkdir -p "$dir/payload/driver"
cp "$build/uninstall/Uninstall.exe" "$dir/payload/Uninstall.exe"
printf '\xff\xfeL\x00' >"$dir/payload/License.txt"
printf 'logs\r\n' >"$dir/payload/readme.txt"
for arch in X86 X64; do
  printf '@echo off\r\necho Adding driver package: pen.inf\r\necho Failed to install the driver: Access is denied. 1>&2\r\nexit /b 0\r\n' \
    >"$dir/payload/driver/InstallPen$arch.bat"
  printf '@echo off\r\nexit /b 0\r\n' >"$dir/payload/driver/UninstallPen$arch.bat"
done
cat >"$dir/manifest.xml" <<'XML'
<InstallerPackage root="LogTouch" payload="payload">
  <Company name="Logs"/>
  <Product name="LogTouch"/>
  <Version value="2.0.1"/>
  <MainApp path="readme.txt"/>
  <Uninstaller path="Uninstall.exe"/>
  <DriverScripts installX86="driver\InstallPenX86.bat" installX64="driver\InstallPenX64.bat"
                 uninstallX86="driver\UninstallPenX86.bat" uninstallX64="driver\UninstallPenX64.bat"/>
  <Licence language="1" path="License.txt"/>
</InstallerPackage>
XML
"$pkgtool_native" make-setup "$dir/manifest.xml" -o "$work/logs.exe" \
  --stub "$build/setup/setup-usbsim.exe" --test-build >"$dir/make.txt" 2>&1
check "make-setup made the product" test -s "$work/logs.exe"
[ "$failures" -eq 0 ] || finish

mkdir -p "$drive/e2e/run"
cp "$work/logs.exe" "$drive/e2e/run/setup.exe"
printf 'aaec:0001\r\n' >"$drive/e2e/run/usb-devices.txt"
product="$drive/$program_files/Logs/LogTouch"
uninstaller_win="$program_files_win\\Logs\\LogTouch\\Uninstall.exe"
environment() { w reg query 'HKCU\Environment' /v "$1" | sed -n 's/.*REG_[A-Z_]*SZ *//p'; }
saved_temp=$(environment TEMP) saved_tmp=$(environment TMP)
temp=$(unix "$saved_temp")

run_setup() { # run_setup ARGS...: at most 120 s; prints its exit status
  (cd "$drive/e2e/run" && timeout 120 wine 'C:\e2e\run\setup.exe' "$@" </dev/null >/dev/null 2>&1)
  echo $?
}
uninstall() {
  (timeout 120 wine "$uninstaller_win" "$@" </dev/null >/dev/null 2>&1)
  echo $?
}
text() { tr -d '\r' <"$1" 2>/dev/null; }
has() { text "$1" | grep -qF -- "$2"; }

# --- a named log in a folder that does not exist; a second run appends, set apart
s=$(run_setup /S '/LOG=C:\deploy logs\touch\setup.log')
check "/LOG= into missing folders: exit 0" test "$s" = 0
named="$drive/deploy logs/touch/setup.log"
check "... the log is there" has "$named" "exit status 0 installed"
check "... with what the driver script wrote, error output too" \
  has "$named" "  | Failed to install the driver: Access is denied."
s=$(run_setup /S '/LOG=C:\deploy logs\touch\setup.log')
check "a second run with the same log: exit 0" test "$s" = 0
check "... both runs are in it" test "$(text "$named" | grep -c 'exit status 0 installed')" = 2
check "... set apart by a line of =" test "$(text "$named" | grep -c '^=====')" = 1

# --- named logs that would lead the elevated writes elsewhere: refused, the default log says so
mkdir -p "$drive/e2e/trap" "$drive/e2e/target"
printf 'keep' >"$drive/e2e/target/precious.txt"
ln -s "$drive/e2e/target" "$drive/e2e/trap/linked"
ln "$drive/e2e/target/precious.txt" "$drive/e2e/trap/second.log"
printf 'theirs\r\n' >"$drive/e2e/trap/open.log"
w "$fixtures/fixture_acl.exe" open 'C:\e2e\trap\open.log' >/dev/null
default="$temp/LogTouch-setup.log"
for target in 'C:\e2e\trap\linked\precious.txt' 'C:\e2e\trap\second.log' 'C:\e2e\trap\open.log'; do
  rm -f "$default"
  s=$(run_setup /S "/LOG=$target")
  check "/LOG=$target: the run goes on (exit 0)" test "$s" = 0
  check "... the default log has the run" has "$default" "exit status 0 installed"
  check "... and names the refused file" has "$default" "the log file named on the command line was not used"
done
check "the file behind the link and the second name is untouched" test "$(cat "$drive/e2e/target/precious.txt")" = keep
check "the file others could write is untouched" test "$(text "$drive/e2e/trap/open.log")" = theirs
rm -f "$default"

# --- a temporary folder every user can write, where someone made the log's folder first
mkdir -p "$drive/sharedtemp/LogTouch-setup"
w "$fixtures/fixture_acl.exe" open 'C:\sharedtemp' >/dev/null
w "$fixtures/fixture_acl.exe" open 'C:\sharedtemp\LogTouch-setup' >/dev/null
w reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d 'C:\sharedtemp' /f >/dev/null
w reg add 'HKCU\Environment' /v TMP /t REG_SZ /d 'C:\sharedtemp' /f >/dev/null
s=$(run_setup /S)
check "with the log's folder taken: exit 0" test "$s" = 0
check "... nothing was written into the taken folder" test -z "$(ls "$drive/sharedtemp/LogTouch-setup")"
fresh=$(ls -d "$drive/sharedtemp"/LogTouch-setup-* 2>/dev/null | head -1)
check "... the log is in a new folder of its own" has "$fresh/LogTouch-setup.log" "exit status 0 installed"
check "... which says why" has "$fresh/LogTouch-setup.log" "made by someone else"
w reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d "$saved_temp" /f >/dev/null
w reg add 'HKCU\Environment' /v TMP /t REG_SZ /d "$saved_tmp" /f >/dev/null

# --- the uninstaller's log: what stayed, and why; nothing left for the next restart
pending() {
  w reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations
}
printf 'mine\r\n' >"$product/notes.txt"
s=$(uninstall /S)
unlog="$temp/LogTouch-uninstall.log"
check "a file of the user's own keeps the folder: exit 1" test "$s" = 1
check "the uninstaller wrote its log" has "$unlog" "uninstall started"
check "... naming its temporary copy" has "$unlog" "starting the temporary copy"
check "... and the folder that stayed with what is in it" has "$unlog" "which still holds notes.txt"
check "... and its exit status" has "$unlog" "exit status 1"
rm -f "$product/notes.txt"
s=$(run_setup /S)
check "installed again: exit 0" test "$s" = 0
s=$(uninstall /S /LOG='C:\e2e\un.log')
check "removed: exit 0" test "$s" = 0
check "... its named log says so" has "$drive/e2e/un.log" "exit status 0 removed"
check "... the temporary copy wrote into the same log" has "$drive/e2e/un.log" "temporary copy done, status 0"
check "nothing is left of the product" test ! -e "$drive/$program_files/Logs"
copies() { ls "$temp"/Uninstall-*.exe 2>/dev/null; }
check "the temporary copy goes once it has ended" until_ok 30 test -z "$(copies)"
check "no PendingFileRenameOperations entry" bash -c "! grep -qi 'Uninstall' <<<\"\$1\"" _ "$(pending)"
finish

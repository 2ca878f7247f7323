#!/usr/bin/env bash
# Deployment with nobody watching, on Windows set to another system code page per run (Wine
# takes it from LANG): Chinese 936, Korean 949, German and Italian 1252. A product made by
# make-setup installs silently into a folder named in the run's language from script.ini in
# UTF-8 and in the code page, and from /D=; again over itself; and goes through its
# QuietUninstallString. Runs that fail (a Path on a drive that does not exist, a driver script
# exiting 1603) end within 60 s with their own exit status and no window, and the log says why.
# Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"
pkgtool="$src/build/native/tools/pkgtool"

# make_fleet_setup OUT.exe INSTALL_EXIT_CODE: a product whose x86 and x64 install scripts end
# with that code.
make_fleet_setup() {
  local dir="$work/fleet-$2"
  mkdir -p "$dir/payload/driver"
  cp "$build/uninstall/Uninstall.exe" "$dir/payload/Uninstall.exe"
  printf '\xff\xfeF\x00' >"$dir/payload/License.txt"
  printf 'fleet\r\n' >"$dir/payload/readme.txt"
  for arch in X86 X64; do
    printf '@echo off\r\nexit /b %s\r\n' "$2" >"$dir/payload/driver/InstallPen$arch.bat"
    printf '@echo off\r\nexit /b 0\r\n' >"$dir/payload/driver/UninstallPen$arch.bat"
  done
  cat >"$dir/manifest.xml" <<'XML'
<InstallerPackage root="FleetTouch" payload="payload">
  <Company name="Fleet"/>
  <Product name="FleetTouch"/>
  <MainApp path="readme.txt"/>
  <Uninstaller path="Uninstall.exe"/>
  <DriverScripts installX86="driver\InstallPenX86.bat" installX64="driver\InstallPenX64.bat"
                 uninstallX86="driver\UninstallPenX86.bat" uninstallX64="driver\UninstallPenX64.bat"/>
  <Licence language="1" path="License.txt"/>
</InstallerPackage>
XML
  "$pkgtool" make-setup "$dir/manifest.xml" -o "$1" --stub "$build/setup/setup-usbsim.exe" --test-build \
    >"$dir/make-setup.txt" 2>&1
}
make_fleet_setup "$work/fleet.exe" 0
make_fleet_setup "$work/fleet-1603.exe" 1603
check "make-setup made both setups" test -s "$work/fleet.exe" -a -s "$work/fleet-1603.exe"
[ "$failures" -eq 0 ] || finish

# run_setup LOCALE NAME EXE [SCRIPT_INI_BYTES_FILE] -- ARGS...: runs EXE as C:\e2e\NAME\setup.exe
# with the touch device present, at most 60 s; prints its exit status (124: it did not end).
run_setup() {
  local locale=$1 name=$2 exe=$3 ini=$4 dir="$drive/e2e/$2"
  shift 5
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$exe" "$dir/setup.exe"
  printf 'aaec:0001\r\n' >"$dir/usb-devices.txt"
  [ -n "$ini" ] && cp "$ini" "$dir/script.ini"
  (cd "$dir" && LANG=$locale LC_ALL=$locale timeout 60 wine "C:\\e2e\\$name\\setup.exe" "$@" \
    </dev/null >/dev/null 2>&1)
  echo $?
}

entry="$software_key\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Fleet FleetTouch"
# A value of the Uninstall entry as UTF-8. `reg query` prints in the console's code page, which
# cannot show every folder name of these runs; an export is UTF-16 whatever the locale.
entry_value() {
  rm -f "$drive/e2e/entry.reg"
  w reg export "$entry" 'C:\e2e\entry.reg' /y >/dev/null 2>&1
  iconv -f UTF-16LE -t UTF-8 "$drive/e2e/entry.reg" 2>/dev/null | tr -d '\r' |
    sed -n "s/^\"$1\"=\"\\(.*\\)\"\$/\\1/p" | sed 's/\\"/"/g; s/\\\\/\\/g'
}
no_window() { ! grep -q 'window shown' "$drive/e2e/$1/wizard-trace.txt" 2>/dev/null; }

for spec in "zh_CN.UTF-8 CP936 安装目录" "ko_KR.UTF-8 CP949 설치 폴더" \
  "de_DE.UTF-8 CP1252 Gerätetreiber Büro" "it_IT.UTF-8 CP1252 Però Strumenti"; do
  read -r locale codepage folder <<<"$spec"
  tag=${locale%%_*}
  base="C:\\$folder"
  mkdir -p "$drive/$folder" "$drive/$folder 2" "$drive/logs"
  product="$drive/$folder/Fleet/FleetTouch"
  ini="<Unattended Lang=\"English\" EndUserLicense=\"Agree\" ShowPanel=\"No\" HID=\"1\" Path=\"$base\"/>"
  printf '\xef\xbb\xbf<?xml version="1.0" encoding="UTF-8" ?>\r\n%s\r\n' "$ini" >"$work/utf8.ini"
  printf '%s\r\n' "$ini" | iconv -f UTF-8 -t "$codepage" >"$work/codepage.ini"

  s=$(run_setup "$locale" "$tag-utf8" "$work/fleet.exe" "$work/utf8.ini" -- /S "/LOG=C:\\logs\\$tag-utf8.log")
  check "$tag: script.ini in UTF-8 installs into $folder: exit 0" test "$s" = 0
  check "$tag: its files are there" test -f "$product/readme.txt" -a -f "$product/uninstall.log"
  check "$tag: no window" no_window "$tag-utf8"
  check "$tag: the log names the folder" grep -qF "$folder" "$drive/logs/$tag-utf8.log"
  check "$tag: the log ends with the exit status" grep -q 'exit status 0 installed' "$drive/logs/$tag-utf8.log"

  s=$(run_setup "$locale" "$tag-cp" "$work/fleet.exe" "$work/codepage.ini" -- /S)
  check "$tag: script.ini in code page $codepage installs over the first: exit 0" test "$s" = 0
  check "$tag: script.ini in the code page is left as it was" cmp "$work/codepage.ini" "$drive/e2e/$tag-cp/script.ini"
  check "$tag: still one installation" test -f "$product/uninstall.log"

  s=$(run_setup "$locale" "$tag-d" "$work/fleet.exe" "" -- /S /D="$base 2")
  check "$tag: /D= with a blank installs there: exit 0" test "$s" = 0
  check "$tag: its files are there" test -f "$drive/$folder 2/Fleet/FleetTouch/readme.txt"
  # A product without a service leaves no program's path in its key: its Uninstall entry
  # leads to the first installation, which goes before the second is made.
  check "$tag: the installation in the first folder went" test ! -e "$product"

  quiet=$(entry_value QuietUninstallString)
  check "$tag: QuietUninstallString names the uninstaller with /S" grep -q 'Uninstall.exe" /S$' <<<"$quiet"
  uninstaller=$(sed 's/^"\([^"]*\)".*$/\1/' <<<"$quiet")
  LANG=$locale w "$uninstaller" /S >/dev/null
  check "$tag: QuietUninstallString removes it: exit 0" test $? -eq 0
  check "$tag: nothing of it left" test ! -e "$drive/$folder 2/Fleet"

  s=$(run_setup "$locale" "$tag-nodrive" "$work/fleet.exe" "" -- /S "/D=Q:\\$folder")
  check "$tag: a Path on a drive that does not exist: exit 1 within 60 s" test "$s" = 1
  check "$tag: no window then either" no_window "$tag-nodrive"
  s=$(run_setup "$locale" "$tag-1603" "$work/fleet-1603.exe" "" -- /S "/LOG=C:\\logs\\$tag-1603.log" "/D=$base")
  check "$tag: a driver script exiting 1603: exit 3" test "$s" = 3
  check "$tag: the log has the script's exit code" grep -q 'driver script exit code 1603' "$drive/logs/$tag-1603.log"
  LANG=$locale w "$drive/$folder/Fleet/FleetTouch/Uninstall.exe" /S >/dev/null 2>&1
done
finish

# Shared by the end-to-end scripts that attack the installer under Wine: a throw-away copy of
# the project's prefix, wine helpers, checks that count failures, a small package of real
# programs, and uninstall.log files written byte for byte. Sourced with BUILD_DIR SOURCE_DIR;
# a script whose programs need windows sets e2e_screen (WIDTHxHEIGHT) and runs again on a
# virtual display of that size.
set -uo pipefail
if [ -n "${e2e_screen:-}" ] && [ -z "${TS_E2E_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 ${e2e_screen}x24" env TS_E2E_DISPLAY=1 bash "$0" "$@"
fi
build=$(cd "$1" && pwd) src=$(cd "$2" && pwd)
source "$src/scripts/wine-env"
source "$src/scripts/lib/wine-session.bash"
wine_session "$build/e2e-$(basename "$0" .sh).$$"
work=$session_work
fixtures="$build/fixtures"
pkgtool="$build/tools/pkgtool.exe"
# What differs by tier, here and nowhere else, each with its reason. The shipped programs are
# 32-bit; the 64-bit test build (TS_WINE_BITS=64) stands in on machines that run no 32-bit
# programs, and sees 64-bit Windows as a native program does.
if [ "${TS_WINE_BITS:-32}" = 64 ]; then
  program_files='Program Files'           # CSIDL_PROGRAM_FILES of a 64-bit program
  system_dir=windows/system32             # CSIDL_SYSTEM, not redirected
  software_key='HKLM\SOFTWARE'            # the 64-bit registry view
else
  program_files='Program Files (x86)'     # WoW64 gives a 32-bit program the x86 folder
  system_dir=windows/syswow64             # WoW64 redirects system32 to SysWOW64
  software_key='HKLM\SOFTWARE\WOW6432Node' # a 32-bit program's HKLM\SOFTWARE view
fi
# The same for both tiers, so said once: the x64 driver scripts run in the native (64-bit)
# command processor, the 32-bit installer turning the file-system redirection off to start it,
# so a script logs the 64-bit cmd's architecture and no WoW64 one.
script_arch='process=AMD64 native='
program_files_win="C:\\$program_files"
finish() {
  if [ "$failures" -ne 0 ]; then echo "FAIL: $failures checks failed"; exit 1; fi
  echo "PASS"
}

# unix PATH: where a C:\ path lies on this side.
unix() { local p=${1#C:\\}; echo "$drive/${p//\\//}"; }

# A package of real programs with the demo product's identity: a service, an uninstaller, one
# driver set that leaves a trace. make_package C:\OUT.bin
make_package() {
  local payload="$work/payload"
  mkdir -p "$payload/driver"
  cp "$fixtures/fixture_service.exe" "$payload/VantrelService.exe"
  cp "$fixtures/fixture_hang.exe" "$payload/Uninstall.exe"
  printf '\xff\xfeL\x00i\x00c\x00' >"$payload/License.txt"
  for s in InstallUsbDriverX86 InstallUsbDriverX64 UninstallUsbDriverX86 UninstallUsbDriverx64; do
    printf '@echo off\r\n' >"$payload/driver/$s.bat"
  done
  cat >"$work/manifest.xml" <<'XML'
<InstallerPackage root="KorvelServerV6" payload="payload">
  <SettingsKey name="KorvelServerV5"/>
  <DataFolder name="Vantrel"/>
  <Version value="6.0.2"/>
  <Company name="Brenmark"/>
  <Product name="KorvelServerV6"/>
  <MainApp path="VantrelService.exe"/>
  <Uninstaller path="Uninstall.exe"/>
  <Service path="VantrelService.exe" description="Servicing interface"/>
  <DriverScripts installX86="driver\InstallUsbDriverX86.bat" installX64="driver\InstallUsbDriverX64.bat"
                 uninstallX86="driver\UninstallUsbDriverX86.bat" uninstallX64="driver\UninstallUsbDriverx64.bat"/>
  <Licence language="0" path="License.txt"/>
</InstallerPackage>
XML
  mkdir -p "$(dirname "$(unix "$1")")"
  (cd "$work" && timeout 120 wine "$pkgtool" build manifest.xml -o "$1" </dev/null >/dev/null 2>&1)
}

# make_log C:\PATH\uninstall.log ROOT COMPANY PRODUCT [TYPE=TEXT]...: an uninstall.log as the
# installer writes it (UTF-16LE header texts, then type, length and data per record).
make_log() {
  local out
  out=$(unix "$1")
  mkdir -p "$(dirname "$out")"
  /usr/bin/python3 - "$out" "${@:2}" <<'PY'
import struct, sys
out, root, company, product, *records = sys.argv[1:]
text = lambda s: s.encode('utf-16-le') + b'\0\0'
data = text(root) + text(company) + text(product)
for r in records:
    kind, value = r.split('=', 1)
    body = text(value)
    data += bytes([int(kind)]) + struct.pack('<I', len(body)) + body
open(out, 'wb').write(data)
PY
}

# drop_service_trace C:\PRODUCT: the test service writes a trace file beside itself once it runs,
# which no installation knows of; it is waited for and taken away before an uninstall. The
# installer waits 5 s for the service to run and goes on without it: on a loaded machine the
# service may start (and write its trace) well after the installer has ended.
drop_service_trace() {
  local trace
  trace=$(unix "$1\\VantrelService.exe.trace")
  until_ok 120 test -e "$trace"
  rm -f "$trace"
}

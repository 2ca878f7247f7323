#!/usr/bin/env bash
# Two vendors' products made by make-setup with the same product name, the same service name,
# the same panel (a Run value) and the same desktop shortcut, installed by their own setup.exe
# under Wine: whichever comes second ends before it changes anything, naming the service and the
# other's identity in its log, and leaves the first whole; a third vendor's product with the same
# product name but names of its own coexists. Each removal leaves the others whole.
# Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"
not() { ! "$@"; }
native_pkgtool="$src/build/native/tools/pkgtool"
list='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# vendor COMPANY SERVICE PANEL SHORTCUT: COMPANY's TouchSuite, its service SERVICE.exe, its
# panel PANEL.exe started at logon and linked on the desktop as SHORTCUT; $work/COMPANY.exe.
vendor() {
  local dir="$work/$1"
  mkdir -p "$dir/payload"
  cp "$fixtures/fixture_service.exe" "$dir/payload/$2.exe"
  cp "$fixtures/fixture_hang.exe" "$dir/payload/$3.exe"
  cp "$build/uninstall/Uninstall.exe" "$dir/payload/Uninstall.exe"
  printf 'Licence of %s\n' "$1" >"$dir/payload/License.txt"
  cat >"$dir/manifest.xml" <<XML
<InstallerPackage root="TouchSuite" payload="payload">
  <Version value="1.0"/>
  <Company name="$1"/>
  <Product name="TouchSuite"/>
  <MainApp path="$2.exe"/>
  <Uninstaller path="Uninstall.exe"/>
  <Service path="$2.exe" description="$1 touch host"/>
  <RunEntry path="$3.exe"/>
  <DesktopShortcut path="$3.exe" name="$4"/>
  <Licence language="1" path="License.txt"/>
</InstallerPackage>
XML
  "$native_pkgtool" make-setup "$dir/manifest.xml" -o "$work/$1.exe" \
    --stub "$build/setup/setup-usbsim.exe" --test-build >"$dir/make-setup.txt" 2>&1
}
vendor Alder TouchHost TouchPanel 'Touch Panel'
vendor Birch TouchHost TouchPanel 'Touch Panel'
vendor Cedar CedarHost CedarPanel 'Cedar Panel'
check "the three setups are made" test -s "$work/Alder.exe" -a -s "$work/Birch.exe" -a -s "$work/Cedar.exe"
[ "$failures" -eq 0 ] || finish

# run COMPANY: its setup.exe silently with the frame plugged, logging to C:\e2e\COMPANY.log;
# prints its exit status.
run() {
  local dir="$drive/e2e/$1-$RANDOM"
  mkdir -p "$dir"
  cp "$work/$1.exe" "$dir/setup.exe"
  printf 'aaec:0001\r\n' >"$dir/usb-devices.txt"
  rm -f "$drive/e2e/$1.log"
  (cd "$dir" && timeout 300 wine "C:\\e2e\\$(basename "$dir")\\setup.exe" /S "/LOG=C:\\e2e\\$1.log" \
    </dev/null >/dev/null 2>&1)
  echo $?
}
# state COMPANY SERVICE: what of that vendor's product is on the machine (the service only when
# it says it is theirs).
state() {
  local service="HKLM\\System\\CurrentControlSet\\Services\\$2"
  echo "== service"
  if grep -q "ProductIdentity *REG_SZ *$1 TouchSuite" <(w reg query "$service" /v ProductIdentity); then
    w reg query "$service" /v ImagePath
  fi
  echo "== entry"; w reg query "$list\\$1 TouchSuite" /s
  echo "== key"; w reg query "$software_key\\$1 TouchSuite" /s
  echo "== files"; (cd "$drive/$program_files" 2>/dev/null && find "$1" 2>/dev/null | sort)
  echo "== data"; (cd "$drive/users/Public/Documents" && find "$1 TouchSuite" 2>/dev/null | sort)
}
# What the vendors' products would share: the Run values and the desktop.
shared() {
  echo "== run"; w reg query "$run_key"
  echo "== desktop"; (cd "$drive/$user/Desktop" && find . | sort)
}
# The test service leaves a trace file beside itself once it runs, which no installation knows
# of (and which would rightly keep its folder): waited for and taken away.
settle() { # settle COMPANY SERVICE
  local trace="$drive/$program_files/$1/TouchSuite/$2.exe.trace"
  until_ok 120 test -e "$trace"
  rm -f "$trace"
}
remove() { # remove COMPANY: the entry's quiet command, as a deployment tool runs it
  local program
  program=$(w reg query "$list\\$1 TouchSuite" /v QuietUninstallString |
    sed -n 's/.*REG_SZ *//p' | sed 's/^"\([^"]*\)".*$/\1/')
  [ -n "$program" ] && w "$program" /S >/dev/null
}
log_has() { grep -qF -- "$2" "$drive/e2e/$1.log" || { cat "$drive/e2e/$1.log" >"$why"; false; }; }

state Alder TouchHost >"$work/alder-clean.txt"
state Birch TouchHost >"$work/birch-clean.txt"
state Cedar CedarHost >"$work/cedar-clean.txt"
shared >"$work/shared-clean.txt"

check "Alder's TouchSuite installs (0)" test "$(run Alder)" = 0
settle Alder TouchHost
check "... its service says whose it is" \
  grep -q 'ProductIdentity *REG_SZ *Alder TouchSuite' <(w reg query 'HKLM\System\CurrentControlSet\Services\TouchHost' /v ProductIdentity)
check "... its Uninstall entry is named after its identity, shown as TouchSuite" \
  grep -q 'DisplayName *REG_SZ *TouchSuite$' <(w reg query "$list\\Alder TouchSuite" /v DisplayName)
check "... and tells the day it was installed" \
  grep -qE 'InstallDate *REG_SZ *[0-9]{8}$' <(w reg query "$list\\Alder TouchSuite" /v InstallDate)
state Alder TouchHost >"$work/alder-installed.txt"
shared >"$work/shared-alder.txt"

check "Birch's TouchSuite, same product, service and panel names, is refused (1)" test "$(run Birch)" = 1
check "... its log names the service" log_has Birch 'ST_NAME_TAKEN (25) HKLM\SYSTEM\CurrentControlSet\Services\TouchHost'
check "... and whose it is" log_has Birch 'Alder TouchSuite'
check "... nothing of Birch is on the machine" diff "$work/birch-clean.txt" <(state Birch TouchHost)
check "... Alder's is whole" diff "$work/alder-installed.txt" <(state Alder TouchHost)
check "... and so are the Run value and the desktop" diff "$work/shared-alder.txt" <(shared)

check "Cedar's TouchSuite, names of its own, installs beside it (0)" test "$(run Cedar)" = 0
settle Cedar CedarHost
check "... two entries both shown as TouchSuite" \
  test "$(w reg query "$list" /s /v DisplayName | grep -c 'REG_SZ *TouchSuite$')" = 2
check "... Alder's is whole" diff "$work/alder-installed.txt" <(state Alder TouchHost)
check "Cedar's removal (0)" remove Cedar
check "... leaves nothing of Cedar" diff "$work/cedar-clean.txt" <(state Cedar CedarHost)
check "... and Alder whole" diff "$work/alder-installed.txt" <(state Alder TouchHost)
check "... with its Run value and shortcut" diff "$work/shared-alder.txt" <(shared)

check "Alder's removal (0)" remove Alder
check "... leaves nothing of Alder" diff "$work/alder-clean.txt" <(state Alder TouchHost)
check "... nor of the names it took" diff "$work/shared-clean.txt" <(shared)

check "now Birch installs (0)" test "$(run Birch)" = 0
settle Birch TouchHost
state Birch TouchHost >"$work/birch-installed.txt"
shared >"$work/shared-birch.txt"
check "and Alder is refused in turn (1)" test "$(run Alder)" = 1
check "... naming Birch" log_has Alder 'Birch TouchSuite'
check "... Birch is whole" diff "$work/birch-installed.txt" <(state Birch TouchHost)
check "... with its Run value and shortcut" diff "$work/shared-birch.txt" <(shared)
check "Birch's removal (0)" remove Birch
check "... leaves nothing of Birch" diff "$work/birch-clean.txt" <(state Birch TouchHost)
check "... nor of the names it took" diff "$work/shared-clean.txt" <(shared)
finish

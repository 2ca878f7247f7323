#!/usr/bin/env bash
# Two vendors' products, each packaged with its own identity, installed side by side by the
# installer's own worker (pkgtool.exe install), under Wine. The second installation neither
# finds nor removes the first (settings key, log, files, service, Uninstall entry, data folder);
# each Uninstall entry tells Windows and deployment tools the version, the quiet command, the
# place and the size, and its quiet command removes that product alone, entry and all.
# Arguments: BUILD_DIR SOURCE_DIR.
source "$(dirname "$0")/lib.bash" "$@"
not() { ! "$@"; }
query="$fixtures/fixture_service_query.exe"
list='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# product NAME COMPANY SERVICE IDENTITY...: a payload with a service, the project's uninstaller
# and a licence, and a manifest whose identity elements follow; built into C:\e2e\NAME.bin.
product() {
  local name=$1 company=$2 service=$3 payload="$work/$1"
  mkdir -p "$payload/payload"
  cp "$fixtures/fixture_service.exe" "$payload/payload/$service.exe"
  cp "$build/uninstall/Uninstall.exe" "$payload/payload/Uninstall.exe"
  printf '\xff\xfeL\x00' >"$payload/payload/License.txt"
  { echo "<InstallerPackage root=\"$name\" payload=\"payload\">"
    for element in "${@:4}"; do echo "  $element"; done
    echo "  <Company name=\"$company\"/>"
    echo "  <Product name=\"$name\"/>"
    echo "  <MainApp path=\"$service.exe\"/>"
    echo "  <Uninstaller path=\"Uninstall.exe\"/>"
    echo "  <Service path=\"$service.exe\" description=\"$company service\"/>"
    echo "  <Licence language=\"1\" path=\"License.txt\"/>"
    echo "</InstallerPackage>"; } >"$payload/manifest.xml"
  (cd "$payload" && timeout 120 wine "$pkgtool" build manifest.xml -o "C:\\e2e\\$name.bin" \
    </dev/null >/dev/null 2>&1)
}
mkdir -p "$drive/e2e"
product KorvelServerV6 Brenmark VantrelService '<SettingsKey name="KorvelServerV5"/>' \
  '<DataFolder name="Vantrel"/>' '<Version value="6.0.2"/>'
product OrbisTouch Orbis OrbisHost '<Version value="2.1"/>'
check "both packages build" test -s "$drive/e2e/KorvelServerV6.bin" -a -s "$drive/e2e/OrbisTouch.bin"

demo='C:\Program Files\Brenmark\KorvelServerV6'
orbis='C:\Program Files\Orbis\OrbisTouch'
state() { # state NAME KEY DATA SERVICE FOLDER: what of one product is on the machine
  echo "== key"; w reg query "HKLM\\SOFTWARE\\$2" /s
  echo "== entry"; w reg query "$list\\$2" /s
  echo "== service"; w "$query" "$4"
  echo "== files"; (cd "$(unix "$5")" 2>/dev/null && find . | sort)
  echo "== data"; (cd "$(unix "C:\\users\\Public\\Documents\\$3")" 2>/dev/null && find . -type f | sort)
}
# The test service leaves a trace file beside itself once it runs, which no installation knows
# of (and which would rightly keep its folder): waited for and taken away.
settle() { # settle FOLDER SERVICE
  local trace
  trace=$(unix "$1\\$2.exe.trace")
  until_ok 60 test -e "$trace"
  rm -f "$trace"
}
demo_state() { state KorvelServerV6 KorvelServerV5 Vantrel VantrelService "$demo"; }
orbis_state() { state OrbisTouch 'Orbis OrbisTouch' 'Orbis OrbisTouch' OrbisHost "$orbis"; }
orbis_state >"$work/orbis-clean.txt"
demo_state >"$work/demo-clean.txt"

w "$pkgtool" install 'C:\e2e\KorvelServerV6.bin' --root 'C:\Program Files' --quiet >"$work/demo.txt"
check "the demo product installs (exit 0)" test $? -eq 0
check "... under the key and data folder its installations in the field rely on" \
  grep -q MainServicePath <(w reg query 'HKLM\SOFTWARE\KorvelServerV5')
check "... with its panel file in Vantrel" test -f "$(unix 'C:\users\Public\Documents\Vantrel\PanelConfig.ini')"
settle "$demo" VantrelService
demo_state >"$work/demo-installed.txt"

w "$pkgtool" install 'C:\e2e\OrbisTouch.bin' --root 'C:\Program Files' >"$work/orbis.txt"
check "the other vendor's product installs (exit 0)" test $? -eq 0
check "... finding no earlier installation of its own" not grep -q ST_PREVIOUS_VERSION "$work/orbis.txt"
check "... under its own key" grep -q MainServicePath <(w reg query 'HKLM\SOFTWARE\Orbis OrbisTouch')
check "... with its own data folder" test -f "$(unix 'C:\users\Public\Documents\Orbis OrbisTouch\PanelConfig.ini')"
settle "$orbis" OrbisHost
check "the demo product is whole beside it" diff "$work/demo-installed.txt" <(demo_state)

# What Windows and deployment tools read from each entry.
# value IDENTITY NAME: a value of the entry named after the product's identity.
value() { w reg query "$list\\$1" /v "$2" | sed -n "s/.*$2 *REG_[A-Z_]* *//p"; }
check "DisplayVersion from the identity" test "$(value 'Orbis OrbisTouch' DisplayVersion)" = 2.1
check "the demo's DisplayVersion" test "$(value KorvelServerV5 DisplayVersion)" = 6.0.2
check "QuietUninstallString: the quoted uninstaller and /S" \
  test "$(value 'Orbis OrbisTouch' QuietUninstallString)" = "\"$orbis\\Uninstall.exe\" /S"
check "InstallLocation: the product folder" test "$(value 'Orbis OrbisTouch' InstallLocation)" = "$orbis"
files_kb=$(( ($(cat "$(unix "$orbis")"/*.exe "$(unix "$orbis")/License.txt" | wc -c) + 1023) / 1024 ))
check "EstimatedSize: the files in KiB" test "$(( $(value 'Orbis OrbisTouch' EstimatedSize) ))" = "$files_kb"
check "NoModify" test "$(( $(value 'Orbis OrbisTouch' NoModify) ))" = 1
check "NoRepair" test "$(( $(value 'Orbis OrbisTouch' NoRepair) ))" = 1

# Each product's quiet command removes that product alone.
quiet() { # quiet NAME: runs the entry's QuietUninstallString as a deployment tool would
  local command program
  command=$(value "$1" QuietUninstallString)
  program=$(sed 's/^"\([^"]*\)".*$/\1/' <<<"$command")
  w "$program" /S >/dev/null
}
quiet 'Orbis OrbisTouch'
check "Orbis's quiet command removes it: exit 0" test $? -eq 0
check "nothing of Orbis is left, its entry's values with it" diff "$work/orbis-clean.txt" <(orbis_state)
check "the demo product is still whole" diff "$work/demo-installed.txt" <(demo_state)
quiet KorvelServerV5
check "the demo's quiet command removes it: exit 0" test $? -eq 0
check "nothing of the demo is left" diff "$work/demo-clean.txt" <(demo_state)

finish

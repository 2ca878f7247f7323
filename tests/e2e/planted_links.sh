#!/usr/bin/env bash
# Links planted in folders the elevated installer empties or fills while every user can write
# them: the shared data folder Public Documents\Vantrel, a folder pkgtool extracts into, and
# script.ini beside setup.exe, which the installer completes and writes back. Hard links (a
# second name of another file) are Unix hard links here, as Wine makes them.
# Wine offers no Windows links (CreateSymbolicLinkW reports success and makes nothing, and
# FSCTL_SET_REPARSE_POINT is not supported), but shows a Unix symbolic link as a reparse point
# and, worse than Windows, follows it even in DeleteFileW, RemoveDirectoryW and CREATE_ALWAYS:
# plain calls delete and write what the link leads to. Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"

make_package 'C:\e2e\package.bin' || { echo "FAIL: pkgtool build"; exit 1; }
data=$(unix 'C:\users\Public\Documents\Vantrel')
mkdir -p "$(unix 'C:\canary')" "$(unix 'C:\canary-empty')" "$(unix 'C:\canary-full')"
printf 'precious' >"$(unix 'C:\canary\precious.txt')"
printf 'keep' >"$(unix 'C:\canary-full\keep.txt')"

plant_inside() {
  rm -rf "$data" && mkdir -p "$data"
  ln -s "$(unix 'C:\canary\precious.txt')" "$data/victim.txt"
  ln -s "$(unix 'C:\canary-empty')" "$data/empty"
  ln -s "$(unix 'C:\canary-full')" "$data/full"
}
canaries_intact() {
  cmp -s <(printf 'precious') "$(unix 'C:\canary\precious.txt')" &&
    test -d "$(unix 'C:\canary-empty')" &&
    test -z "$(ls -A "$(unix 'C:\canary-empty')")" &&
    test "$(ls -A "$(unix 'C:\canary-full')")" = "keep.txt"
}

# --- links inside the data folder, then an installation that empties and refills it
plant_inside
w "$pkgtool" install 'C:\e2e\package.bin' --root 'C:\Program Files' --quiet >"$work/install.txt"
check "install with links in the data folder exits 0" test "$?" -eq 0
check "nothing behind the links was deleted or written" canaries_intact
check "the panel file is in the data folder itself" test -f "$data/PanelConfig.ini"

# --- the data folder itself a link
rm -rf "$data" && ln -s "$(unix 'C:\canary-full')" "$data"
w "$pkgtool" install 'C:\e2e\package.bin' --root 'C:\Program Files' --quiet >"$work/install2.txt"
check "install with the data folder a link exits 0" test "$?" -eq 0
check "nothing was written through the data folder link" canaries_intact

# --- the uninstall empties the data folder too
rm -rf "$data" && plant_inside
drop_service_trace 'C:\Program Files\Brenmark\KorvelServerV6'
w "$pkgtool" uninstall 'C:\Program Files\Brenmark\KorvelServerV6\uninstall.log' >"$work/uninstall.txt"
check "uninstall exits 0" test "$?" -eq 0
check "the uninstall deleted nothing behind the links" canaries_intact
check "the installation itself is gone" test ! -e "$(unix 'C:\Program Files\Brenmark\KorvelServerV6')"

# --- a subfolder of a user's own named ".keep" kept the data folder (and so the folder stayed
# theirs) through every installation and removal: it goes like any other
rm -rf "$data" && mkdir -p "$data/.keep"
printf 'mine' >"$data/.keep/mine.txt"
w "$pkgtool" install 'C:\e2e\package.bin' --root 'C:\Program Files' --quiet >"$work/install3.txt"
check "install with a dot folder in the data folder exits 0" test "$?" -eq 0
check "the dot folder was emptied away with the rest" test ! -e "$data/.keep"
mkdir -p "$data/.keep" && printf 'mine' >"$data/.keep/mine.txt"
drop_service_trace 'C:\Program Files\Brenmark\KorvelServerV6'
w "$pkgtool" uninstall 'C:\Program Files\Brenmark\KorvelServerV6\uninstall.log' >"$work/uninstall2.txt"
check "the uninstall takes the data folder, dot folder and all" test ! -e "$data"

# --- extract into a folder holding a second name (hard link) of a file elsewhere, where the
# package has a file: the same write that fills the data folder never writes through it
mkdir -p "$(unix 'C:\exh')"
printf 'precious' >"$(unix 'C:\canary\hard.txt')"
ln "$(unix 'C:\canary\hard.txt')" "$(unix 'C:\exh')/VantrelService.exe"
w "$pkgtool" extract 'C:\e2e\package.bin' 'C:\exh' >"$work/extract-hard.txt"
check "extract onto a planted hard link fails (exit 1)" test "$?" -eq 1
check "... and the other name's file is untouched" cmp -s <(printf 'precious') "$(unix 'C:\canary\hard.txt')"

# --- script.ini beside setup.exe planted as a link to another file, or as a second name of one:
# setup.exe reads it and installs, but never writes the other file
settings='<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="No" HID="1"/>'
for kind in symbolic hard; do
  victim=$(unix "C:\\canary\\$kind.ini")
  printf '%s' "$settings" >"$victim"
  mkdir -p "$drive/e2e/ini-$kind"
  printf 'aaec:0001\r\n' >"$drive/e2e/ini-$kind/usb-devices.txt"
  if [ $kind = symbolic ]; then ln -s "$victim" "$drive/e2e/ini-$kind/script.ini"
  else ln "$victim" "$drive/e2e/ini-$kind/script.ini"; fi
  setup_start "$build/setup/setup-usbsim.exe" "ini-$kind"
  check "script.ini as a $kind link: setup.exe installs (exit 0)" test "$(setup_exit_status)" = 0
  check "... and the file behind it is not rewritten" cmp -s <(printf '%s' "$settings") "$victim"
  drop_service_trace 'C:\Program Files\Brenmark\KorvelServerV6'
  w "$pkgtool" uninstall 'C:\Program Files\Brenmark\KorvelServerV6\uninstall.log' >/dev/null
done

# --- extract into a folder holding a link where the package has a folder
mkdir -p "$(unix 'C:\ex')"
ln -s "$(unix 'C:\canary-empty')" "$(unix 'C:\ex')/driver"
w "$pkgtool" extract 'C:\e2e\package.bin' 'C:\ex' >"$work/extract.txt"
check "extract through a planted link fails (exit 1)" test "$?" -eq 1
check "... and writes nothing behind it" canaries_intact

finish

#!/usr/bin/env bash
# Where the elevated installer may install, under Wine. The service it registers runs as
# LocalSystem from the installation folder: a root that others could rename or replace (a folder
# Everyone may change, one below such a folder, a link), a root that is no full path, and the
# drive's root given as "C:" while others may change C:\ are refused before anything changes,
# with the folder and why (ST_FILE_ERROR, exit 1); a company folder that stands there already,
# writable by others, too. Under Wine an access list is kept only as Unix permission bits: a
# folder Everyone may write (mode 777) is one in which anyone may also rename what it holds, so a
# root users may only add to, as C:\ is on Windows, cannot be made here (the fakes cover it:
# tests/native/install_folder_test.cpp). Arguments: BUILD_DIR SOURCE_DIR.
source "$(dirname "$0")/lib.bash" "$@"

make_package 'C:\e2e\package.bin' || { echo "FAIL: pkgtool build"; exit 1; }
# writable_by_others C:\PATH: an entry for Everyone, Users or Authenticated Users that allows
# more than read and execute.
writable_by_others() {
  w "$fixtures/fixture_acl.exe" show "$1" | grep -oE '\(A;[^;]*;[^;]*;;;(WD|BU|AU)\)' |
    grep -vqE ';(0x1200a9|FR|FX|GR|GX|0x120089);;;'
}
only_trusted_write() { ! writable_by_others "$1"; }
no_service() { ! w "$fixtures/fixture_service_query.exe" "$1"; }
mkdir -p "$drive/e2e/cwd"
cd "$drive/e2e/cwd" || exit 1  # the current folder of drive C: while the installer runs

# refused ROOT FOLDER WHAT: the installation under ROOT is refused naming FOLDER, and nothing of
# it is made.
refused() {
  local root=$1 folder=$2 what=$3 out="$work/refused-$RANDOM.txt"
  w "$pkgtool" install 'C:\e2e\package.bin' --root "$root" --quiet >"$out"
  check "$what: exit 1" test "$?" -eq 1
  check "$what: names $folder first" test "$(head -1 "$out")" = "$(printf 'ST_FILE_ERROR\t%s' "$folder")"
  check "$what: and says why" test -n "$(sed -n 2p "$out")"
  check "$what: nothing installed" test -z "$(find "$drive" -name VantrelService.exe 2>/dev/null)"
  check "$what: no service" no_service VantrelService
}

# --- a root Everyone may change (C:\Tools made by an administrator inherits Modify from C:\)
mkdir -p "$(unix 'C:\Tools')"
w "$fixtures/fixture_acl.exe" open 'C:\Tools'
check "the open root reads back writable by Everyone" writable_by_others 'C:\Tools'
refused 'C:\Tools' 'C:\Tools' "a root others may change"

# --- a protected root below a folder Everyone may change: rename the folder above, and the
# whole tree below it is theirs
mkdir -p "$(unix 'C:\Shared\Apps')"
w "$fixtures/fixture_acl.exe" open 'C:\Shared'
refused 'C:\Shared\Apps' 'C:\Shared' "a root below a folder others may change"

# --- a root that is a link, and one that is no full path
mkdir -p "$(unix 'C:\Real')"
ln -s "$(unix 'C:\Real')" "$(unix 'C:\Linked')"
refused 'C:\Linked' 'C:\Linked' "a root that is a link"
check "nothing behind the link" test -z "$(ls -A "$(unix 'C:\Real')")"
refused 'C:Tools' 'C:Tools' "a drive-relative root"

# --- the drive's root as the folder chooser gives it: "C:" is C:\, not the current folder
w "$fixtures/fixture_acl.exe" open 'C:\'
refused 'C:' 'C:\' "\"C:\" while others may change C:\\"
chmod 755 "$drive"
w "$pkgtool" install 'C:\e2e\package.bin' --root 'C:' --quiet >"$work/drive-root.txt"
check "\"C:\" installs into C:\\Brenmark once C:\\ is the system's" test "$?" -eq 0
check "... the service program there" test -f "$(unix 'C:\Brenmark\KorvelServerV6\VantrelService.exe')"
drop_service_trace 'C:\Brenmark\KorvelServerV6'
w "$pkgtool" uninstall 'C:\Brenmark\KorvelServerV6\uninstall.log' >"$work/uninstall-root.txt"
check "... and its log removes it" test ! -e "$(unix 'C:\Brenmark')"

# --- a root only the system's own may change: installed, its log believed by the next run
mkdir -p "$(unix 'C:\Apps')"
w "$pkgtool" install 'C:\e2e\package.bin' --root 'C:\Apps' --quiet >"$work/install.txt"
check "install under a sound root exits 0" test "$?" -eq 0
check "the product folder is not writable by others" only_trusted_write 'C:\Apps\Brenmark\KorvelServerV6'
drop_service_trace 'C:\Apps\Brenmark\KorvelServerV6'
w "$pkgtool" uninstall 'C:\Apps\Brenmark\KorvelServerV6\uninstall.log' >"$work/uninstall.txt"
check "the next run believes the log it left (exit 0)" test "$?" -eq 0
check "... and removes the installation" test ! -e "$(unix 'C:\Apps\Brenmark')"

# --- a company folder that stands there already, writable by others: nothing is installed
mkdir -p "$(unix 'C:\Apps\Brenmark')"
w "$fixtures/fixture_acl.exe" open 'C:\Apps\Brenmark'
refused 'C:\Apps' 'C:\Apps\Brenmark' "a company folder others may change"
check "... and nothing is written into it" test -z "$(ls -A "$(unix 'C:\Apps\Brenmark')")"

finish

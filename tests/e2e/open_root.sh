#!/usr/bin/env bash
# An installation root that Everyone can write (C:\Tools): the folders the installation makes
# there get a protected access list, a folder that already stands there writable by others is
# refused before anything changes, and the log left behind is believed by the next run.
# Under Wine an access list is kept only as Unix permission bits: a protected list reads back as
# SYSTEM and the Wine user full control and nobody else anything; inheritance is not kept.
# Arguments: BUILD_DIR SOURCE_DIR.
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

mkdir -p "$(unix 'C:\Tools')"
w "$fixtures/fixture_acl.exe" open 'C:\Tools'
check "the root reads back writable by Everyone" writable_by_others 'C:\Tools'

w "$pkgtool" install 'C:\e2e\package.bin' --root 'C:\Tools' --quiet >"$work/install.txt"
check "install under the open root exits 0" test "$?" -eq 0
check "the company folder is not writable by others" only_trusted_write 'C:\Tools\Brenmark'
check "the product folder is not writable by others" only_trusted_write 'C:\Tools\Brenmark\KorvelServerV6'
w "$fixtures/fixture_acl.exe" show 'C:\Tools\Brenmark\KorvelServerV6' >"$work/product-acl.txt"
check "the service program was installed" test -f "$(unix 'C:\Tools\Brenmark\KorvelServerV6\VantrelService.exe')"
drop_service_trace 'C:\Tools\Brenmark\KorvelServerV6'
w "$pkgtool" uninstall 'C:\Tools\Brenmark\KorvelServerV6\uninstall.log' >"$work/uninstall.txt"
check "the next run believes the log it left (exit 0)" test "$?" -eq 0
check "... and removes the installation" test ! -e "$(unix 'C:\Tools\Brenmark')"

# A company folder that stands there already, writable by others: nothing is installed.
mkdir -p "$(unix 'C:\Tools\Brenmark')"
w "$fixtures/fixture_acl.exe" open 'C:\Tools\Brenmark'
w "$pkgtool" install 'C:\e2e\package.bin' --root 'C:\Tools' >"$work/refused.txt"
check "install into a folder others can write exits 1" test "$?" -eq 1
check "... naming that folder, before anything else" test "$(head -1 "$work/refused.txt")" = "$(printf 'ST_FILE_ERROR\tC:\\Tools\\Brenmark')"
check "... and writes nothing into it" test -z "$(ls -A "$(unix 'C:\Tools\Brenmark')")"
check "... nor registers the service" no_service VantrelService

if [ "$failures" -ne 0 ]; then cat "$work/product-acl.txt" "$work/refused.txt"; fi
finish

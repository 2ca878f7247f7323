#!/usr/bin/env bash
# An uninstall.log planted where the elevated installer looks for one, under Wine through
# pkgtool.exe uninstall (the installer's own uninstall worker). A log in a folder that others can
# write is not acted on at all; a believed log still cannot make the installer delete a service
# whose program lies elsewhere. Arguments: BUILD_DIR SOURCE_DIR.
source "$(dirname "$0")/lib.bash" "$@"

# --- a log in a folder Everyone can write (Wine keeps this as mode 777 and reads it back so)
printf 'keep me' >"$work/canary"
mkdir -p "$(unix 'C:\plant\Co\Pr')"
cp "$work/canary" "$(unix 'C:\plant\Co\Pr\canary.txt')"
make_log 'C:\plant\Co\Pr\uninstall.log' 'C:\plant' Co Pr '0=C:\plant\Co\Pr\canary.txt'
w "$fixtures/fixture_acl.exe" open 'C:\plant\Co\Pr' || echo "note: could not open the folder"
w "$fixtures/fixture_acl.exe" show 'C:\plant\Co\Pr' >"$work/acl.txt"
check "the planted folder reads back writable by Everyone" grep -qE 'A;[^;]*;(FA|0x1301ff);;;WD' "$work/acl.txt"
w "$pkgtool" uninstall 'C:\plant\Co\Pr\uninstall.log' >"$work/out1.txt"
check "a log others could write is refused (exit 1)" test "$?" -eq 1
check "... and says why" grep -q 'not acting on' "$work/out1.txt"
check "... and deletes nothing it names" cmp "$work/canary" "$(unix 'C:\plant\Co\Pr\canary.txt')"
check "... nor itself" test -f "$(unix 'C:\plant\Co\Pr\uninstall.log')"

# --- a believed log (the prefix's own protected folder) naming a service by a file inside it
w sc create TsHardenVictim binpath= 'C:\victim\victim.exe' >/dev/null
check "a victim service exists" w "$fixtures/fixture_service_query.exe" TsHardenVictim
mkdir -p "$(unix 'C:\trusted\Co\Pr')"
cp "$work/canary" "$(unix 'C:\trusted\Co\Pr\own.txt')"
make_log 'C:\trusted\Co\Pr\uninstall.log' 'C:\trusted' Co Pr \
  '0=C:\trusted\Co\Pr\own.txt' '4=C:\trusted\Co\Pr\TsHardenVictim.exe'
w "$pkgtool" uninstall 'C:\trusted\Co\Pr\uninstall.log' >"$work/out2.txt"
check "a believed log is acted on, and what it could not remove is reported (exit 3)" \
  test "$?" -eq 3
check "... its own file goes" test ! -e "$(unix 'C:\trusted\Co\Pr\own.txt')"
check "... but a service registered to run a program elsewhere stays" \
  w "$fixtures/fixture_service_query.exe" TsHardenVictim
check "... and is named as not the installation's to remove" grep -qxF \
  'still there: LOG_SERVICE C:\trusted\Co\Pr\TsHardenVictim.exe (not this installation'"'"'s to remove)' \
  "$work/out2.txt"
w sc delete TsHardenVictim >/dev/null

finish

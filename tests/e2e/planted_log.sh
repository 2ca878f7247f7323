#!/usr/bin/env bash
# An uninstall.log planted where the elevated installer looks for one, under Wine through
# pkgtool.exe uninstall (the installer's own uninstall worker). A log in a folder that others can
# write, or below a folder they could rename (and so replace with a tree of their own after the
# log is judged), is not acted on at all; a believed log still cannot make the installer delete a
# service whose program lies elsewhere, nor follow a link found inside the product folder to
# delete a file or run a script. Arguments: BUILD_DIR SOURCE_DIR.
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

# A driver uninstall script that leaves a trace beside itself when it runs.
trace_script() { cp "$fixtures/trace.bat" "$(unix "$1")"; }

# --- a log in protected folders, but below one Everyone may change: rename that folder after the
# judgement, put a tree of one's own in its place, and the elevated worker would act on it
mkdir -p "$(unix 'C:\anc\Co\Pr\driver')"
cp "$work/canary" "$(unix 'C:\anc\Co\Pr\own.txt')"
trace_script 'C:\anc\Co\Pr\driver\u.bat'
make_log 'C:\anc\Co\Pr\uninstall.log' 'C:\anc' Co Pr \
  '0=C:\anc\Co\Pr\own.txt' '3=C:\anc\Co\Pr\driver\u.bat'
w "$fixtures/fixture_acl.exe" open 'C:\anc'
w "$pkgtool" uninstall 'C:\anc\Co\Pr\uninstall.log' >"$work/out3.txt"
check "a log below a folder others may rename is refused (exit 1)" test "$?" -eq 1
check "... its script is not run" test ! -e "$(unix 'C:\anc\Co\Pr\driver\trace.txt')"
check "... its file is not deleted" test -f "$(unix 'C:\anc\Co\Pr\own.txt')"

# --- a believed log whose product folder holds a link (as a user who could swap a folder would
# leave one): neither the file behind it is deleted nor the script behind it run
mkdir -p "$(unix 'C:\linked\Co\Pr')" "$(unix 'C:\elsewhere')"
cp "$work/canary" "$(unix 'C:\elsewhere\v.txt')"
trace_script 'C:\elsewhere\u.bat'
ln -s "$(unix 'C:\elsewhere')" "$(unix 'C:\linked\Co\Pr\driver')"
make_log 'C:\linked\Co\Pr\uninstall.log' 'C:\linked' Co Pr \
  '0=C:\linked\Co\Pr\driver\v.txt' '3=C:\linked\Co\Pr\driver\u.bat'
w "$pkgtool" uninstall 'C:\linked\Co\Pr\uninstall.log' >"$work/out4.txt"
# The file it names through the link stays, so the removal is incomplete and says so (exit 3).
check "a believed log with a link inside is acted on, and what stayed is reported (exit 3)" \
  test "$?" -eq 3
check "... naming the file behind the link" grep -qF 'driver\v.txt' "$work/out4.txt"
check "... the file behind the link stays" cmp "$work/canary" "$(unix 'C:\elsewhere\v.txt')"
check "... the script behind the link is not run" test ! -e "$(unix 'C:\elsewhere\trace.txt')"

finish

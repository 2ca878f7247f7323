# Shared by the pkgtool tests: arguments PKGTOOL SOURCE_DIR, a scratch folder, and checks that
# count failures instead of stopping at the first one.
set -uo pipefail
pkgtool=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# run CMD...: captures stdout and stderr into files and $out/$err, the exit code into $rc.
run() {
  "$@" >"$work/stdout" 2>"$work/stderr"
  rc=$?
  out=$(cat "$work/stdout")
  err=$(cat "$work/stderr")
}

expect_eq() {
  [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"
}

expect_match() {
  [[ "$1" =~ $2 ]] || fail "$3: [$1] does not match /$2/"
}

# expect_file_eq ACTUAL EXPECTED WHAT: byte for byte.
expect_file_eq() {
  cmp -s "$1" "$2" || { fail "$3 differs:"; diff "$2" "$1" >&2 || true; }
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}

# A minimal payload with a root file, a nested file and a licence, for manifests written by
# the tests themselves.
make_payload() {
  local dir=$1
  mkdir -p "$dir/driver/USB"
  printf 'panel' >"$dir/KorvelPanel.exe"
  printf 'service' >"$dir/VantrelService.exe"
  printf '\xff\xfeL\x00' >"$dir/License.txt"
  printf '@echo off\r\n' >"$dir/driver/InstallUsbDriverX86.bat"
  printf '@echo off\r\n' >"$dir/driver/UninstallUsbDriverX86.bat"
  printf 'sys' >"$dir/driver/USB/korvelusb.sys"
}

# The demo product with stand-in programs (the real ones need the windows build): $demo holds
# manifest.xml and payload/, as demo/assemble lays them out.
demo=$work/demo
"$src/demo/assemble" "$demo" || fail "demo assembly"

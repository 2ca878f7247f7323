#!/usr/bin/env bash
# The main job itself (scripts/demo) on this tier's build, as the README promises it on every
# machine: the wizard clicked through in English, what it installed shown, the panel started,
# everything removed through the Uninstall entry, and the demo's own verdict that each of
# those held. Arguments: BUILD_DIR SOURCE_DIR.
set -uo pipefail
build=$(cd "$1" && pwd) src=$(cd "$2" && pwd)
out="$build/e2e-demo"
rm -rf "$out" && mkdir -p "$out"
failures=0
check() { # check DESCRIPTION COMMAND...
  if "${@:2}" >/dev/null 2>&1; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

timeout 500 xvfb-run -a -s "-screen 0 1280x800x24" env TS_DEMO_DISPLAY=1 TS_DEMO_BUILD="$build" \
  TS_DEMO_OUT="$out" bash "$src/scripts/demo" </dev/null >"$out/demo.log" 2>&1
status=$?
check "the demo ends with 0" test "$status" = 0
check "its own verdict: everything shown held" grep -qx 'demo: everything shown held' "$out/demo.log"
check "setup.exe installed" grep -q '^setup.exe exit status: 0 (installed)' "$out/demo.log"
check "the panel showed its window" grep -q '^window: KorvelPanel - English - 127.0.0.1:6550' "$out/demo.log"
check "the machine is as it was afterwards" \
  grep -qx 'nothing: the machine is as it was before the installation' "$out/demo.log"
for shot in 1-language 2-licence 3-device 4-progress 5-complete 6-panel; do
  check "screenshot $shot.png" test -s "$out/$shot.png"
done
if [ "$failures" -ne 0 ]; then
  echo "     the demo printed (last 30 lines):"
  tail -30 "$out/demo.log" | sed 's/^/     /'
  echo "FAIL: $failures checks failed"
  exit 1
fi
echo "PASS"

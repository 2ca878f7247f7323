#!/usr/bin/env bash
# pkgtool log: decoded records of a good log; a damaged one prints what was read, then where
# it stopped, and fails.
set -euo pipefail
pkgtool=$1 src=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
log="$src/fuzz/corpus/log_fuzz/full.log"

"$pkgtool" log "$log" >"$work/out"
grep -qx $'LOG_REGISTRY_KEY\t0x80000002\tSOFTWARE\\\\KorvelServerV5' "$work/out"
grep -qx $'LOG_RUN_ENTRY\t"C:\\\\p.exe" -h' "$work/out"
[ "$(tail -1 "$work/out")" = $'LOG_FILE\tC:\\uninstall.log' ]
[ "$(sed -n 2p "$work/out")" = $'company\tBrenmark' ]

size=$(stat -c %s "$log")
head -c $((size - 3)) "$log" >"$work/cut.log"
if "$pkgtool" log "$work/cut.log" >"$work/cut.out" 2>"$work/cut.err"; then
  echo "a truncated log was reported as whole"; exit 1
fi
grep -q '^log truncated at offset [0-9]*$' "$work/cut.err"
[ "$(wc -l <"$work/cut.out")" -eq $(($(wc -l <"$work/out") - 1)) ]

# A record of a type the installer never writes is shown by number, its data in hex.
printf 'A\0\0\0B\0\0\0C\0\0\0\x05\x02\x00\x00\x00\xab\xcd' >"$work/odd.log"
"$pkgtool" log "$work/odd.log" | grep -qx $'type 5\tabcd'

# The product a log belongs to: its identity record's three texts.
python3 - "$work/identity.log" <<'PY'
import struct, sys
t = lambda s: s.encode('utf-16-le')
f = lambda tag, s: struct.pack('<HH', tag, len(t(s))) + t(s)
body = f(1, 'Orbis') + f(2, 'Orbis Data') + f(3, '2.1')
block = b'TPID' + struct.pack('<HI', 1, 10 + len(body)) + body
head = b''.join(t(s) + b'\0\0' for s in ('C:\\Apps', 'Orbis', 'OrbisTouch'))
open(sys.argv[1], 'wb').write(head + bytes([24]) + struct.pack('<I', len(block)) + block)
PY
"$pkgtool" log "$work/identity.log" | grep -qx $'LOG_PRODUCT_IDENTITY\tOrbis\tOrbis Data\t2.1'

if "$pkgtool" log "$work/missing.log" 2>/dev/null; then echo "missing log accepted"; exit 1; fi
echo ok

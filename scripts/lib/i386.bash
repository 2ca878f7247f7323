# Sourced: can this machine run the shipped 32-bit programs under Wine? Some kernels have their
# IA-32 emulation switched off (every i386 execve answers "Exec format error"), and on a mirror's
# bad day apt may not install Wine's 32-bit part. Either way the machine is one that runs no
# 32-bit programs: the 64-bit test build stands in, and the reason is said, never a failed set-up.

# i386_kernel_runs: the kernel executes a 96-byte static i386 program that exits with 42.
# TS_I386_KERNEL=yes|no answers instead (the test of scripts/setup-deps).
i386_kernel_runs() {
  local dir probe rc
  case "${TS_I386_KERNEL:-}" in yes) return 0 ;; no) return 1 ;; esac
  # Not /tmp: it may be mounted noexec, which would read as "no 32-bit programs".
  dir=$(mktemp -d "${TS_I386_PROBE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}/.i386-probe.XXXXXX") ||
    return 1
  probe="$dir/probe"
  # ELF header, one loadable segment, then: mov eax,1; mov ebx,42; int 0x80 (exit(42)).
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'`
        `'\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00'`
        `'\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'`
        `'\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'`
        `'\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" >/dev/null 2>&1
  rc=$?
  rm -rf "$dir"
  [ "$rc" -eq 42 ]
}

# no_i386_reason: nothing when Wine's 32-bit part runs here; else why it does not, in words.
no_i386_reason() {
  local status_file out
  status_file="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/setup-deps.txt"
  if ! i386_kernel_runs; then
    echo "this machine cannot execute 32-bit programs (i386 execve: Exec format error)"
  elif [ ! -e /usr/lib/wine/wine ]; then
    out=$(grep -m1 '^wine32:i386	' "$status_file" 2>/dev/null | cut -f2)
    echo "Wine's 32-bit part (wine32:i386) is not installed${out:+: $out}"
  elif ! out=$(/usr/lib/wine/wine --version 2>&1); then
    echo "Wine's 32-bit loader does not run: $(head -1 <<<"$out")"
  fi
}

#!/usr/bin/env bash
# One fuzz smoke run as CTest runs it: FUZZER SCRATCH CORPUS RUNS. A fixed seed and a fixed
# number of runs over the committed corpus, which is only read; new inputs and any crash file go
# to SCRATCH, emptied first. Nothing may steer the mutations but the seed and the inputs: no
# rereading of the corpus folder on a timer (-reload=0), no values seen in comparisons fed back
# (-use_cmp=0: addresses are among them), and address randomisation off where the system lets a
# process turn it off (the undefined-behaviour checks cache types by address, which shows in
# the coverage). The same build then makes the same mutations every time: the smoke fails on a
# fault in what the corpus reaches, never by chance. Longer, fresh-seeded runs: scripts/fuzz.
set -u
fuzzer=$1 scratch=$2 corpus=$3 runs=$4
rm -rf "$scratch" && mkdir -p "$scratch" || exit 1
fixed=()
if setarch "$(uname -m)" -R true 2>/dev/null; then fixed=(setarch "$(uname -m)" -R); fi
exec "${fixed[@]}" "$fuzzer" -seed=1 -runs="$runs" -reload=0 -use_cmp=0 -rss_limit_mb=2048 \
  -max_len=65536 -timeout=60 -artifact_prefix="$scratch/" "$scratch" "$corpus"

#!/usr/bin/env bash
# Runs one stored replay through the headless harness and compares its digest lines with
# the stored ones.
#
#   run_replay.sh VQ_HEADLESS REPLAY
#
# REPLAY is tests/replays/<name>.replay: '#' comments, one "args:" line with the harness's
# options, optionally a "pad-script:" line naming a pad script beside it. The expected
# output is <name>.digest beside it. With VQ_UPDATE_REPLAYS=1 the digest file is rewritten
# from the run instead (look at the difference before committing it).
set -euo pipefail
harness=$1
replay=$2
folder=$(dirname "$replay")
expected="${replay%.replay}.digest"

args=$(sed -n 's/^args:[[:space:]]*//p' "$replay")
script=$(sed -n 's/^pad-script:[[:space:]]*//p' "$replay")
[ -n "$args" ] || { echo "no args: line in $replay"; exit 1; }
extra=()
[ -n "$script" ] && extra=(--pad-script "$folder/$script")

actual=$(mktemp /tmp/vq_replay.XXXXXX)
trap 'rm -f "$actual"' EXIT
# shellcheck disable=SC2086
if ! "$harness" $args "${extra[@]}" >"$actual"; then
    echo "FAIL: the harness did not end the run as asked"
    tail -1 "$actual"
    exit 1
fi
if [ "${VQ_UPDATE_REPLAYS:-0}" = 1 ]; then
    cp "$actual" "$expected"
    echo "wrote $expected"
    exit 0
fi
[ -f "$expected" ] || { echo "FAIL: no stored digest $expected"; exit 1; }
if ! diff -u "$expected" "$actual" | head -40; then :; fi
if ! cmp -s "$expected" "$actual"; then
    echo "FAIL: the digest of $(basename "$replay") differs from the stored one"
    exit 1
fi
echo "ok: $(wc -l <"$actual") lines match"

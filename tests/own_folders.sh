#!/usr/bin/env bash
# own_folders.sh PROGRAM ARGS...: runs one test program with a home, a settings folder and a
# runtime folder of its own, made for this run and removed after it, so that nothing of the
# machine's user is read or written. A test function the program skips fails the run, except
# those that need the BMP suite beside the project, which the README names as optional.
set -uo pipefail

folder=$(mktemp -d /tmp/deskwreck-test.XXXXXX) || exit 1
trap 'rm -rf "$folder"' EXIT
export HOME="$folder/home" XDG_CONFIG_HOME="$folder/config" XDG_RUNTIME_DIR="$folder/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

"$@" 2>&1 | tee "$folder/output"
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || exit "$status"

skipped=$(grep '^SKIP   :' "$folder/output" |
    grep -v 'the BMP suite is not beside the project' || true)
if [ -n "$skipped" ]; then
    echo "FAIL: skipped, so not tested:" >&2
    echo "$skipped" >&2
    exit 1
fi

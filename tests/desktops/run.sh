#!/usr/bin/env bash
# Runs every tests/desktops/test_*.sh against the build in BUILD_DIR, one after the other (each
# starts a whole desktop), and fails when any of them fails or skips.
set -euo pipefail

: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"
export BUILD_DIR SOURCE_DIR
failed=()
for test in "$SOURCE_DIR"/tests/desktops/test_*.sh; do
    name=$(basename "$test" .sh)
    echo "=== $name"
    start=$SECONDS
    status=0
    bash "$test" || status=$?
    echo "=== $name: $([ $status -eq 0 ] && echo passed || echo "failed ($status)") in $((SECONDS - start)) s"
    [ $status -eq 0 ] || failed+=("$name")
done
[ ${#failed[@]} -eq 0 ] || { echo "failed: ${failed[*]}" >&2; exit 1; }

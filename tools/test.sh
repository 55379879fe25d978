#!/usr/bin/env bash
# Installs what is missing, builds, and runs every unit test with ctest.
# CORVANE_SANITIZER=address (ASan+UBSan) or thread (TSan) runs them in a
# sanitizer build instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
dir=$root/build
case "${CORVANE_SANITIZER:-}" in
  address) dir=$root/build-asan ;;
  thread) dir=$root/build-tsan ;;
esac
"$root/tools/build.sh" "$dir"
cd "$dir"
ctest --output-on-failure -j"$(nproc)"

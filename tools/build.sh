#!/usr/bin/env bash
# Configures and builds the project into a build folder.
# Usage: tools/build.sh [build-dir] [extra cmake options...]
# CORVANE_SANITIZER=address|thread picks a sanitizer build (default folder
# build-asan or build-tsan then).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sanitizer=${CORVANE_SANITIZER:-}
default_dir=build
[[ -n "$sanitizer" ]] && default_dir=build-${sanitizer/address/asan}
[[ "$sanitizer" == thread ]] && default_dir=build-tsan
dir=${1:-$root/$default_dir}
shift || true
cmake -S "$root" -B "$dir" -G Ninja -DCORVANE_SANITIZER="$sanitizer" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"

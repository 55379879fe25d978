#!/usr/bin/env bash
# Installs what is missing, builds, and starts CorvaneLoader from the build
# tree. Arguments are passed to the program (a photo to open, for example).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh" "$root/build"
exec "$root/build/bin/CorvaneLoader" "$@"

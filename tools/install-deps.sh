#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need,
# only those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-image-formats-plugins libgl-dev fonts-dejavu-core fonts-liberation2
  libexiv2-dev exiv2 libjpeg62-turbo-dev libtiff-dev zlib1g-dev
  libopencv-core-dev libopencv-imgproc-dev libopencv-photo-dev libopencv-imgcodecs-dev
  libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg-turbo-progs xvfb xauth xdotool
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq || true
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# `cmake --install` of the build into a temporary prefix lays out a program
# that works from there: the links in bin/ start the real executables, which
# find their dictionaries (English and German), skin and pictures beside
# themselves whatever the current folder; the desktop entry, the icons of
# every size and the manual page are in place.
#
# Usage: install_layout.sh BUILD-DIR
# Exit status: 0 passed, 1 failed. The prefix is removed afterwards.
set -euo pipefail
build=$(realpath "$1")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
package=$(sed -n 's/^Icon=//p' "$prefix"/share/applications/*.desktop)
app="$prefix/lib/$package"
[[ -n "$package" && -d "$app" ]] || fail "no lib/<package> folder beside the desktop entry"

for file in CorvaneLoader Lan.lc Loader.lc Tool.lc de/Lan.lc de/Loader.lc de/Tool.lc Skin Bitmap/toolbar \
            "../../bin/$package" "../../share/applications/$package.desktop"; do
  [[ -e "$app/$file" ]] || fail "missing: lib/$package/$file"
done
# The width and height of a PNG file, from its header.
png_size() {
  local b
  read -ra b < <(od -An -tu1 -j16 -N8 "$1")
  echo "$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))x$(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))"
}
for size in 16 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$package.png"
  [[ -f "$icon" && "$(png_size "$icon")" == "${size}x${size}" ]] || fail "no $size-pixel icon: $icon"
done
[[ "$(readlink "$prefix/bin/$package")" == "../lib/$package/CorvaneLoader" ]] || fail "bin/$package is no relative link"
# One version everywhere: the About box's (Tool.lc, every language), the
# program's --version and the manual page's.
version=$(sed -n 's/^IDS_CORVANE_APPVER=//p' "$app/Tool.lc")
[[ "$version" =~ ^[0-9] ]] || fail "Tool.lc carries no version: '$version'"
[[ "$(sed -n 's/^IDS_CORVANE_APPVER=//p' "$app/de/Tool.lc")" == "$version" ]] || fail "de/Tool.lc has another version"
[[ "$(env -u DISPLAY "$prefix/bin/$package" --version)" == *" $version" ]] || fail "$package --version"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/$package.desktop" || fail "desktop-file-validate"
fi

# The spot remover's package carries corvane-batch: started through its link
# from another folder, its messages come from the dictionaries beside it.
if [[ -e "$prefix/bin/corvane-batch" ]]; then
  zgrep -q "^\.TH CORVANE-BATCH 1 .*\"CorvaneLoader $version\"" "$prefix/share/man/man1/corvane-batch.1.gz" ||
    fail "the manual page does not carry version $version"
  work=$prefix/work
  mkdir -p "$work"
  printf 'not a photo' >"$work/note.jpg"
  cd "$work"
  for locale_message in "C.UTF-8:not a picture CorvaneLoader recognises" \
                        "de_DE.UTF-8:CorvaneLoader erkennt diese Datei nicht als Bild"; do
    locale=${locale_message%%:*} message=${locale_message#*:}
    status=0
    err=$(CORVANE_LOG_DIR="$work/log" LC_ALL=$locale "$prefix/bin/corvane-batch" --spot 1,1 note.jpg out.jpg 2>&1) ||
      status=$?
    [[ $status != 0 ]] || fail "corvane-batch accepted a text file as a photo"
    [[ "$err" == *"$message"* ]] || fail "corvane-batch in $locale said: $err"
  done
fi
echo "installed layout under a temporary prefix works"

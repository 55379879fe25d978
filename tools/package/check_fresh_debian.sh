#!/usr/bin/env bash
# Installs a CorvaneLoader Debian package into a fresh Debian 12 root and
# checks it as a new user would, then uninstalls it and checks that nothing
# it installed is left.
#
#   sudo bash tools/package/check_fresh_debian.sh PACKAGE.deb ROOT SHOTS-DIR
#
# ROOT is made with `debootstrap --variant=minbase bookworm ROOT` when it does
# not exist yet. Needs root, debootstrap, xvfb-run and imagemagick on this
# machine. The package is installed with `apt-get install ./PACKAGE.deb` and
# nothing else; the program then runs on a virtual X server of this machine
# (whose socket the root shares), so no X server package in the root can
# stand in for a dependency the package forgot. Only after those runs are
# the checking tools (man-db, desktop-file-utils, xdg-utils) installed.
# Writes SHOTS-DIR/installed-photo.png; prints each check; exit 0 when all
# pass.
set -euo pipefail
export LC_ALL=C  # one sort order for comm

deb=$(realpath "$1")
root=$(realpath -m "$2")
shots=$(realpath -m "$3")
package=$(dpkg-deb -f "$deb" Package)
program=$package
mkdir -p "$shots"

step() { printf '\n== %s\n' "$*"; }
fail() { printf 'FAILED: %s\n' "$*"; exit 1; }
in_root() { chroot "$root" env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
bind() {
  mkdir -p "$root$2"
  mount --bind "$1" "$root$2"
  mounted+=("$root$2")
}

if [[ ! -d "$root/usr" ]]; then
  step "debootstrap --variant=minbase bookworm $root"
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
fi
bind /proc /proc
bind /dev /dev
bind /dev/pts /dev/pts

# Every path of the root but the ones that change on their own: caches,
# logs, package lists, the caches the icon theme and desktop triggers keep,
# and what the program writes while it runs (settings under /root, the
# machine-wide registry).
snapshot() {
  (cd "$root" && find . -xdev \( -path ./proc -o -path ./dev -o -path ./sys -o -path ./tmp -o -path ./run \
     -o -path ./var/cache -o -path ./var/lib/apt -o -path ./var/lib/dpkg -o -path ./var/log -o -path ./root \
     -o -path ./var/lib/CorvaneLoader -o -name icon-theme.cache -o -name mimeinfo.cache \) -prune -o -print | sort)
}

step "apt-get update"
in_root apt-get update -qq

step "apt-get install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$deb")" >"$shots/apt-install.log"
grep -c '^Setting up' "$shots/apt-install.log" | xargs printf '%s packages set up\n'
in_root dpkg -L "$package" | sort >"$shots/installed-files.txt"

step "$program --version"
in_root "$program" --version || fail "--version"

step "corvane-batch on a photo"
photo=/tmp/photo.jpg
convert -size 640x427 gradient:'#4a90d9-#e8f1fa' -fill '#3d7a3d' -draw 'rectangle 0,300 640,427' \
        -fill '#202020' -draw 'circle 200,150 204,150' "$root$photo"
if in_root test -x /usr/bin/corvane-batch; then
  in_root corvane-batch --version || fail "corvane-batch --version"
  in_root corvane-batch --spot 200,150 "$photo" /tmp/out.jpg || fail "corvane-batch"
  in_root corvane-batch --info /tmp/out.jpg || fail "corvane-batch --info"
fi

step "$program $photo on a virtual X server"
# The server picks a free display number and writes it to the file.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$shots/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; cleanup' EXIT
for _ in $(seq 100); do [[ -s "$shots/display" ]] && break; sleep 0.1; done
[[ -s "$shots/display" ]] || fail "the virtual X server did not start"
display=:$(head -n1 "$shots/display")
bind /tmp/.X11-unix /tmp/.X11-unix
export DISPLAY=$display
find_window() {  # a visible window whose name matches $1, waiting up to $2 seconds
  local deadline=$((SECONDS + $2)) id
  while ((SECONDS < deadline)); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}
chroot "$root" env -i HOME=/root PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY="$display" "$program" "$photo" \
  >"$shots/program.log" 2>&1 &
pid=$!
# The first run opens the About box; Escape closes it.
about=$(find_window '^About ' 30) || fail "the program showed no window (see $shots/program.log)"
xdotool windowfocus --sync "$about" key Escape
main=$(find_window 'photo\.jpg' 10) || fail "no window shows photo.jpg"
sleep 1
import -window root "$shots/installed-photo.png"
echo "screenshot: $shots/installed-photo.png"
quit() {  # Escape ends the program: nothing was changed, so no question
  xdotool windowfocus --sync "$1" key Escape
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "Escape did not end the program"
  wait "$pid" || fail "the program ended with status $?"
}
quit "$main"
# Again in German: the About box no longer opens by itself.
chroot "$root" env -i HOME=/root PATH=/usr/bin:/bin LANG=de_DE.UTF-8 DISPLAY="$display" "$program" "$photo" \
  >>"$shots/program.log" 2>&1 &
pid=$!
main=$(find_window 'photo\.jpg' 30) || fail "no window shows photo.jpg in German"
sleep 1
import -window root "$shots/installed-photo-de.png"
echo "screenshot: $shots/installed-photo-de.png"
quit "$main"
kill $xvfb
unset DISPLAY

step "checking tools: man-db desktop-file-utils xdg-utils"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends man-db \
  desktop-file-utils xdg-utils >/dev/null
if in_root test -e /usr/share/man/man1/corvane-batch.1.gz; then
  in_root env MANPAGER=cat MANWIDTH=80 man corvane-batch | head -12
fi
in_root desktop-file-validate "/usr/share/applications/$package.desktop" && echo "desktop-file-validate: passed"
in_root env XDG_DATA_DIRS=/usr/share xdg-mime default "$package.desktop" image/jpeg
answer=$(in_root env XDG_DATA_DIRS=/usr/share xdg-mime query default image/jpeg)
echo "xdg-mime query default image/jpeg: $answer"
[[ "$answer" == "$package.desktop" ]] || fail "xdg-mime"

step "apt-get purge $package"
snapshot >"$shots/root-installed.txt"
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "$package" >/dev/null
snapshot >"$shots/root-purged.txt"
# What the purge took away must be exactly the package's files and the
# folders only they filled; it must add nothing.
comm -23 "$shots/root-installed.txt" "$shots/root-purged.txt" | sed 's|^\.||' >"$shots/removed.txt"
comm -13 "$shots/root-installed.txt" "$shots/root-purged.txt" >"$shots/added-by-purge.txt"
sed 's|^/\.$|/|' "$shots/installed-files.txt" | sort >"$shots/owned.txt"
# A folder stays when it holds other files or another package owns it too.
left=$(comm -13 "$shots/removed.txt" "$shots/owned.txt" | while read -r path; do
  [[ -e "$root$path" || -L "$root$path" ]] || continue
  [[ -d "$root$path" && ( -n "$(ls -A "$root$path")" ) ]] && continue
  [[ -d "$root$path" ]] && in_root dpkg -S "$path" >/dev/null 2>&1 && continue
  echo "$path"
done || true)
[[ -z "$left" ]] || { echo "$left"; fail "files of the package are left"; }
[[ ! -s "$shots/added-by-purge.txt" ]] || { cat "$shots/added-by-purge.txt"; fail "the purge left new files"; }
extra=$(comm -23 "$shots/removed.txt" "$shots/owned.txt")
[[ -z "$extra" ]] || { echo "$extra"; fail "the purge removed files the package did not own"; }
echo "removed exactly the $(wc -l <"$shots/removed.txt") paths the package installed; nothing left, nothing added"
echo "made by the program while it ran (settings, machine-wide registry), kept as user data:"
in_root find /root/.config /root/.local/state /var/lib/CorvaneLoader -maxdepth 1 2>/dev/null | sed 's/^/  /'

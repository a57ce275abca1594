#!/usr/bin/env bash
# Tries a package on a fresh Debian 12: makes a minimal bookworm root with debootstrap, from the
# mirror apt on this machine uses, installs the package there with apt-get, runs its programs
# (a simulated meter read by the command line included) and renders a manual page, then removes
# it and checks that nothing of it is left. As root; downloads about 150 MB and takes a while.
#
#   scripts/check-deb.sh PACKAGE.deb [WORK_DIR]
#
# A new folder made in WORK_DIR (default /var/tmp) holds the root; that folder, and nothing else
# of WORK_DIR, is deleted at the end unless KEEP_ROOT=1.
set -euo pipefail

[ $# -ge 1 ] && [ -f "$1" ] || { echo "usage: $0 PACKAGE.deb [WORK_DIR]" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "check-deb.sh: needs root (debootstrap, chroot, mount)" >&2; exit 2; }
deb=$(realpath "$1")
parent=${2:-/var/tmp}
[ -d "$parent" ] || { echo "check-deb.sh: no folder $parent" >&2; exit 2; }
# Only what this run made is removed at the end: never the folder it was given.
work=$(mktemp -d "$(realpath "$parent")/rt570-check-deb.XXXXXX")
root=$work/root
package=$(dpkg-deb -f "$deb" Package)
version=$(dpkg-deb -f "$deb" Version)

step() { echo "== $*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

# The URI of the sources entry for the suite bookworm, in either format apt reads.
bookworm_mirror() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        awk '$1 == "deb" {
                 i = 2
                 if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                 if ($(i + 1) == "bookworm") { print $i; exit }
             }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk 'BEGIN { RS = "" }
             /(^|\n)Suites:[^\n]*[ \t]bookworm([ \t]|\n|$)/ && !/(^|\n)Enabled:[ \t]*no/ {
                 n = split($0, lines, "\n")
                 for (j = 1; j <= n; j++)
                     if (lines[j] ~ /^URIs:/) { split(lines[j], w, /[ \t]+/); print w[2]; exit }
             }' "$f"
    done
}
mirror=$(bookworm_mirror | head -n 1)
[ -n "$mirror" ] || fail "no bookworm entry in /etc/apt/sources.list*"
# The same check of a release's dates as apt here makes (a mirror may serve an older snapshot).
valid_until=true
eval "$(apt-config shell valid_until Acquire::Check-Valid-Until)"
apt_options=(-o "Acquire::Check-Valid-Until=${valid_until:-true}" -y -q)

mounted=()
unmount_all() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" || true
    done
    mounted=()
}
cleanup() {
    unmount_all
    if [ "${KEEP_ROOT:-0}" = 1 ]; then
        echo "the root is kept in $root"
    elif ! grep -q " $root/" /proc/mounts; then
        rm -rf --one-file-system "$work"
    fi
}
trap cleanup EXIT
mount_in_root() { # TYPE OPTIONS WHERE
    mkdir -p "$root/$3"
    mount -t "$1" -o "$2" "$1" "$root/$3"
    mounted+=("$root/$3")
}
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }

if ! command -v debootstrap >/dev/null; then
    step "installing debootstrap"
    apt-get "${apt_options[@]}" install debootstrap >/dev/null
fi

step "debootstrap bookworm into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 20 "$work/debootstrap.log"; fail "debootstrap"; }
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount_in_root proc nosuid,nodev,noexec proc
mount_in_root devpts newinstance,ptmxmode=0666,mode=0620 dev/pts
ln -sf pts/ptmx "$root/dev/ptmx"

step "man-db, to read the manual pages"
in_root apt-get "${apt_options[@]}" update >/dev/null
in_root apt-get "${apt_options[@]}" install --no-install-recommends man-db >/dev/null

# What the root holds before the package comes.
installed_packages() { # removed packages that keep their configuration files do not count
    in_root dpkg-query -W -f '${db:Status-Status} ${Package}\n' | awk '$1 == "installed" { print $2 }' |
        sort
}
installed_packages >"$work/packages-before"
list_paths() { # d: the folders of the package, else its files
    dpkg-deb -c "$deb" | awk -v want="$1" '(substr($1, 1, 1) == "d") == (want == "d") { print $6 }' |
        sed 's|^\./|/|; s|/$||' | grep .
}
mapfile -t files < <(list_paths f)
mapfile -t new_folders < <(for d in $(list_paths d); do [ -e "$root$d" ] || echo "$d"; done)

# Without the packages that dependencies only recommend: what the package depends on must be
# enough to run it, and autoremove can then take back all that came with it.
step "apt-get install --no-install-recommends ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root apt-get "${apt_options[@]}" install --no-install-recommends "/tmp/$(basename "$deb")" \
    >"$work/install.log" 2>&1 ||
    { tail -n 20 "$work/install.log"; fail "apt-get install"; }

step "the installed programs"
for p in "${files[@]}"; do
    [ -f "$root$p" ] || fail "$p is not installed"
done
for program in rt570 rt570-cli rt570-sim; do
    missing=$(in_root ldd "/usr/bin/$program" | grep "not found" || true)
    [ -z "$missing" ] || fail "$program lacks libraries: $missing"
done
out=$(in_root rt570-sim --version) || fail "rt570-sim --version"
[ "$out" = "rt570-sim $version" ] || fail "rt570-sim --version printed '$out'"
out=$(in_root rt570 --version) || fail "rt570 --version (no display)"
[ "$out" = "rt570 $version" ] || fail "rt570 --version printed '$out'"
in_root rt570-cli --help | grep -q -- "--port" || fail "rt570-cli --help"
in_root sh -c 'ls /usr/lib/*/qt6/plugins/sqldrivers/libqsqlite.so' >/dev/null ||
    fail "the Qt SQLite driver is not installed"

step "man rt570-cli"
page=$(in_root env MANPAGER=cat MANWIDTH=80 man rt570-cli 2>&1) || fail "man rt570-cli: $page"
for section in SYNOPSIS OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES; do
    grep -q "^$section" <<<"$page" || fail "man rt570-cli has no $section"
done
for name in rt570 rt570-sim; do
    in_root man -w "$name" >/dev/null || fail "man -w $name"
done

step "rt570-cli reads a simulated meter"
cat >"$root/tmp/read-meter.sh" <<'EOF'
set -eu
mkdir -p /tmp/home/arc
rt570-sim --link /tmp/home/com3 >/tmp/sim.out 2>/tmp/sim.err &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
# The simulator prints its terminal's path once the link is made.
i=0
while [ ! -s /tmp/sim.out ] && [ $i -lt 100 ] && kill -0 $sim 2>/dev/null; do
    sleep 0.1
    i=$((i + 1))
done
[ -L /tmp/home/com3 ] || { cat /tmp/sim.err; exit 1; }
RT570_HOME=/tmp/home timeout 60 rt570-cli --port 3 --no-progress values
ls /tmp/home/arc | wc -l
EOF
out=$(in_root timeout 120 sh /tmp/read-meter.sh 2>&1) || { echo "$out"; fail "reading the simulator"; }
echo "$out" | sed 's/^/   /'
[ "$(tail -n 1 <<<"$out")" = 4 ] || fail "the opening read made $(tail -n 1 <<<"$out") report files, not 4"

step "apt-get remove $package"
in_root apt-get "${apt_options[@]}" remove "$package" >"$work/remove.log" 2>&1 ||
    { tail -n 20 "$work/remove.log"; fail "apt-get remove"; }
status=$(in_root dpkg-query -W -f '${db:Status-Status}' "$package" 2>/dev/null || echo not-installed)
[ "$status" = not-installed ] || fail "dpkg still knows $package as '$status'"
for p in "${files[@]}"; do
    [ ! -e "$root$p" ] || fail "$p is left after the removal"
done
# The dependencies go with autoremove, and with them the last owners of shared folders. Packages
# that another one only recommends or suggests go too: otherwise apt keeps such pairs of them.
in_root apt-get "${apt_options[@]}" -o APT::AutoRemove::RecommendsImportant=false \
    -o APT::AutoRemove::SuggestsImportant=false autoremove >/dev/null
installed_packages >"$work/packages-after"
diff -u "$work/packages-before" "$work/packages-after" ||
    fail "autoremove did not return the root to its packages before the install"
for d in "${new_folders[@]}"; do
    [ ! -e "$root$d" ] || fail "folder $d is left: $(ls -A "$root$d" | head -n 5 | tr '\n' ' ')"
done

unmount_all
echo "PASSED: $package $version installs, runs and removes cleanly on a fresh bookworm root"

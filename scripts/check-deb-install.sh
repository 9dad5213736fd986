#!/usr/bin/env bash
# Installs the built Debian package into a clean Debian 12 (bookworm) root made with debootstrap, with
# apt resolving its dependencies from Debian's mirror, and runs the program there: `kamseldemo --version`
# (no display in the root) and, on Qt's offscreen platform, a refused option, which starts the whole user
# interface stack (Qt's platform plugin, the GDI+ module) and ends with status 2 before any window.
# It shows that the package's dependencies are complete on a system that has none of the build's packages.
#
# Usage, as root, from the repository's root, after `(cd build && cpack -G DEB)`:
#   scripts/check-deb-install.sh [PACKAGE.deb]        (default: the newest build/kamseldemo_*.deb)
# KAMSEL_DEBIAN_MIRROR overrides the mirror (default http://deb.debian.org/debian). It takes a few minutes
# and some 300 MB in /var/tmp, removed at the end.
# Skips with a message and status 0 when it cannot make the root: not root, no debootstrap, no mirror.
set -euo pipefail

skip() {
    echo "SKIP: $*"
    exit 0
}

# shellcheck disable=SC2012 # the names are cpack's: kamseldemo_VERSION_ARCH.deb
deb=${1:-$(ls -t build/kamseldemo_*.deb 2>/dev/null | head -n 1 || true)}
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
    echo "No Debian package${deb:+ at $deb}: make one with (cd build && cpack -G DEB)" >&2
    exit 1
fi
mirror=${KAMSEL_DEBIAN_MIRROR:-http://deb.debian.org/debian}

[ "$(id -u)" -eq 0 ] || skip "making a Debian root with debootstrap needs root"
command -v debootstrap >/dev/null || skip "debootstrap is not installed (apt-get install debootstrap)"
command -v wget >/dev/null || skip "wget, which debootstrap downloads with, is not installed"
wget -q -T 20 -t 2 -O /dev/null "$mirror/dists/bookworm/Release" || skip "the mirror $mirror cannot be reached"

root=$(mktemp -d /var/tmp/kamsel-deb-root.XXXXXX)
log=$root.log
mounts=()
cleanup() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || true
    done
    # --one-file-system: never into a mount that would not let go.
    rm -rf --one-file-system "$root"
    rm -f "$log"
}
trap cleanup EXIT
# A time limit (timeout) or Ctrl+C ends the script through exit, so the mounts go too.
trap 'exit 143' TERM
trap 'exit 130' INT
mount_into() { # mount_into TARGET MOUNT-ARGUMENTS...
    local target=$root/$1
    shift
    mount "$@" "$target"
    mounts+=("$target")
}

echo "Making a Debian 12 root in $root from $mirror ..."
if ! debootstrap --variant=minbase bookworm "$root" "$mirror" >"$log" 2>&1; then
    tail -n 5 "$log"
    skip "debootstrap could not make the root (log above)"
fi

mount_into proc -t proc proc
mount_into dev --bind /dev
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/kamseldemo.deb"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

echo "Installing $(basename "$deb") with apt ..."
in_root apt-get -q update
in_root env DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends /tmp/kamseldemo.deb

version=$(in_root kamseldemo --version)
echo "kamseldemo --version: $version"
[[ "$version" == "kamseldemo "* ]] || {
    echo "FAIL: unexpected version line" >&2
    exit 1
}
status=0
message=$(in_root env QT_QPA_PLATFORM=offscreen kamseldemo --no-such-option 2>&1) || status=$?
if [ "$status" -ne 2 ] || [[ "$message" != *"Unknown option 'no-such-option'"* ]]; then
    echo "FAIL: the program did not start on the offscreen platform (status $status): $message" >&2
    exit 1
fi
echo "PASS: installed in a clean Debian 12 root; --version and the offscreen start work"

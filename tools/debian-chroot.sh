#!/usr/bin/env bash
# Debian 12 chroots for tests that need a system of their own (a desktop session whose portal
# backends must not reach the other tests, a package installed on a clean system).
#
#   tools/debian-chroot.sh make NAME PACKAGE...
#       Prints the path of a chroot holding these packages (installed without recommends), made
#       with debootstrap from the machine's own apt sources when it is missing. Chroots are cached
#       outside the clone, under $DESKWRECK_CHROOT_CACHE (/var/cache/deskwreck/chroots), one per
#       name and package list; a changed list makes a new one and removes the old.
#   tools/debian-chroot.sh enter ROOT [--bind SOURCE:TARGET]... -- COMMAND...
#       Runs COMMAND inside ROOT in a mount namespace of its own, with /proc, /sys, /dev, /dev/shm,
#       a fresh /tmp and /run, and the given folders bound in; every mount ends with the command.
# Both need root.
set -euo pipefail

cache=${DESKWRECK_CHROOT_CACHE:-/var/cache/deskwreck/chroots}

die() { echo "debian-chroot: $*" >&2; exit 1; }

# The machine's own Debian 12 sources, as apt sees them: "URI SUITE" a line.
apt_sources() {
    apt-get indextargets --format '$(REPO_URI) $(CODENAME)' 'Identifier: Packages' |
        awk '$2 ~ /^bookworm/' | sort -u
}

make_chroot() {
    local name=$1; shift
    [ $# -gt 0 ] || die "make $name: no packages named"
    local key root
    key=$(printf '%s\n' "$@" | sort -u | sha256sum | cut -c1-12)
    root="$cache/$name-$key"
    mkdir -p "$cache"
    exec 9>"$cache/$name.lock"
    flock 9
    if [ ! -f "$root/.complete" ]; then
        bash "$0" build "$root" "$@" >"$cache/$name.log" 2>&1 ||
            { tail -n 30 "$cache/$name.log" >&2; die "making $name failed; see $cache/$name.log"; }
        find "$cache" -maxdepth 1 -name "$name-*" ! -name "$name-$key" ! -name '*.log' \
            -exec rm -rf --one-file-system {} +
    fi
    echo "$root"
}

build_chroot() {
    local root=$1; shift
    local sources main
    sources=$(apt_sources)
    main=$(awk '$2 == "bookworm" {print $1; exit}' <<<"$sources")
    [ -n "$main" ] || die "apt knows no Debian 12 (bookworm) source on this machine"
    rm -rf --one-file-system "$root.new"
    command -v debootstrap >/dev/null ||
        DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq debootstrap
    debootstrap --variant=minbase bookworm "$root.new" "$main"
    awk '{print "deb " $1 " " $2 " main"}' <<<"$sources" >"$root.new/etc/apt/sources.list"
    chroot "$root.new" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive chroot "$root.new" \
        apt-get install -y -qq --no-install-recommends "$@"
    chroot "$root.new" apt-get clean
    rm -rf --one-file-system "$root"
    mv "$root.new" "$root"
    touch "$root/.complete"
}

enter_chroot() {
    local root=$1; shift
    local binds=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        [ "$1" = --bind ] || die "enter: unknown option $1"
        binds+=("$2"); shift 2
    done
    [ "${1:-}" = -- ] || die "enter: no command"
    shift
    [ -f "$root/.complete" ] || die "enter: $root is no chroot made by this script"
    unshare --mount --fork bash -euc '
        root=$1; shift
        mount --make-rprivate /
        mount -t proc proc "$root/proc"
        mount --rbind /sys "$root/sys"
        mount --rbind /dev "$root/dev"
        mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
        mount -t tmpfs -o mode=755 tmpfs "$root/run"
        mkdir -p "$root/dev/shm"
        while [ "$1" != -- ]; do
            source=${1%%:*} target=$root${1#*:}
            mkdir -p "$target"
            mount --bind "$source" "$target"
            shift
        done
        shift
        exec chroot "$root" "$@"
    ' enter "$root" "${binds[@]}" -- "$@"
}

[ "$(id -u)" -eq 0 ] || die "needs root"
case "${1:-}" in
make) shift; make_chroot "$@" ;;
build) shift; build_chroot "$@" ;; # make's own step, in a process of its own so errexit holds
enter) shift; enter_chroot "$@" ;;
*) die "usage: $0 make NAME PACKAGE... | enter ROOT [--bind SOURCE:TARGET]... -- COMMAND..." ;;
esac

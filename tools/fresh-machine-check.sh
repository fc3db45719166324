#!/bin/sh
# The fresh-machine check: for each Debian release named (default: Debian 12, Debian 11, and
# Debian 12 with only Qt 5 and a normal user), makes a minimal system in a folder (debootstrap
# minbase with make, git and ca-certificates only), copies the committed tree (git archive HEAD)
# into it and runs the README's two commands there, `make demo` and then `make test`, as a new
# user would. For <suite>-qt5-user, root installs Qt 5 and a compiler, a normal user sees what
# the two commands ask for (make demo only the build's packages, to be installed as root: there is
# no sudo), root installs what `make deps` asks for, and the normal user runs the two commands.
#
#   tools/fresh-machine-check.sh [suite...]      (default: bookworm bullseye bookworm-qt5-user)
#
# Needs root for debootstrap, chroot and the mounts of /proc and /dev; without root it says
# loudly that it skipped. As root every failure fails it, and the folder is unmounted and
# removed whatever ends the run. The Debian mirror and apt settings are this machine's own; the
# chroot gets that mirror's suites of its own release.
set -eu
cd "$(dirname "$0")/.."

if [ "$(id -u)" != 0 ]; then
    echo "*** FRESH-MACHINE CHECK SKIPPED: it needs root (debootstrap, chroot, mounts) ***" >&2
    exit 0
fi
tools/ensure-packages.sh debootstrap

. tools/debian-archives.sh
if [ -z "$mirror" ]; then
    echo "fresh-machine check: no Debian mirror in this machine's apt sources" >&2
    exit 1
fi
[ $# -gt 0 ] || set -- bookworm bullseye bookworm-qt5-user

root=""
logs=$(mktemp -d /var/tmp/quorl-fresh-logs.XXXXXX)
# Unmounts and removes the current release's folder; false when something stays mounted.
unmount_and_remove() {
    [ -n "$root" ] || return 0
    for mount in "$root/dev" "$root/proc"; do
        if mountpoint -q "$mount"; then
            umount "$mount" || umount -l "$mount" || true
        fi
    done
    # Never remove through a mount: that would reach into the real /dev or /proc.
    if grep -q " $root/" /proc/mounts; then
        echo "fresh-machine check: $root is still mounted; left in place" >&2
        return 1
    fi
    rm -rf --one-file-system "$root"
    root=""
}
cleanup() {
    status=$?
    unmount_and_remove || status=1
    rm -rf "$logs"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Runs one step, showing the tail of its log when it fails.
step() {
    name=$1
    shift
    echo "== fresh machine: $name"
    if ! "$@" >"$logs/$name.log" 2>&1; then
        echo "== fresh machine: $name FAILED; the end of its log:" >&2
        tail -n 80 "$logs/$name.log" >&2
        exit 1
    fi
    grep -h '% tests passed' "$logs/$name.log" || true
    tail -n 3 "$logs/$name.log"
    echo "== fresh machine: $name passed"
}

check_release() {
    release=$1
    suite=${release%%-*}
    start=$(date +%s)
    step "$release-debootstrap" debootstrap --variant=minbase --include=make,git,ca-certificates \
        "$suite" "$root" "$mirror"
    # This machine's apt settings and name servers, and the mirror's suites of this release.
    rm -rf "$root/etc/apt/sources.list.d"
    cp -r /etc/apt/apt.conf.d "$root/etc/apt/"
    {
        echo "deb $mirror $suite main"
        echo "deb $mirror $suite-updates main"
        [ -z "$security" ] || echo "deb $security $suite-security main"
    } >"$root/etc/apt/sources.list"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mkdir "$root/src"
    git archive HEAD | tar -x -C "$root/src"
    mount -t proc proc "$root/proc"
    mount --bind /dev "$root/dev"
    builder=""
    if [ "$release" != "$suite" ]; then
        # A newcomer with Qt 5 and a compiler: make demo names only what the build lacks, make
        # test all that the tests lack; then root installs what make deps asks for.
        step "$release-qt5-packages" in_chroot "apt-get update && apt-get install -y \
            --no-install-recommends qtbase5-dev g++"
        in_chroot "useradd --create-home builder && chown -R builder /src"
        builder=builder
        step "$release-demo-names-the-build" in_chroot "! make demo 2>/tmp/said && cat /tmp/said &&
            grep -qx 'missing packages: cmake ninja-build' /tmp/said &&
            grep -qx 'install them as root with: apt-get install cmake ninja-build' /tmp/said &&
            ! grep -q sudo /tmp/said" $builder
        step "$release-test-names-the-tests" in_chroot "! make test 2>/tmp/said && cat /tmp/said &&
            grep -q 'missing packages: cmake ninja-build libgtest-dev .*lintian' /tmp/said" $builder
        step "$release-deps" in_chroot "make deps"
    fi
    step "$release-make-demo" in_chroot "make demo" $builder
    step "$release-make-test" in_chroot "make test" $builder
    echo "fresh-machine check passed in $(($(date +%s) - start)) s (make demo and make test in" \
        "a minimal $(. "$root/etc/os-release" && echo "$PRETTY_NAME")${builder:+, Qt 5 only, as $builder})"
    unmount_and_remove
}

# Runs a command in /src of the chroot, as root or as the user named second.
in_chroot() {
    user=${2:-root}
    home=/root
    switch_user=""
    if [ "$user" != root ]; then
        home=/home/$user
        switch_user="runuser -u $user --"
    fi
    # shellcheck disable=SC2086
    chroot "$root" $switch_user /usr/bin/env -i HOME="$home" LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin sh -c "cd /src && $1"
}

for release in "$@"; do
    root=$(mktemp -d /var/tmp/quorl-fresh-root.XXXXXX)
    chmod 755 "$root" # it becomes /, which every user must be able to enter
    check_release "$release"
done

#!/bin/sh
# The fresh-machine check: makes a minimal Debian 12 in a folder (debootstrap minbase with make,
# git and ca-certificates only), copies the committed tree (git archive HEAD) into it and runs the
# README's two commands there, `make demo` and then `make test`, as a new user would.
#
#   tools/fresh-machine-check.sh
#
# Needs root for debootstrap, chroot and the mounts of /proc and /dev; without root it says
# loudly that it skipped. As root every failure fails it, and the folder is unmounted and
# removed whatever ends the run. The Debian mirror and apt settings are this machine's own.
set -eu
cd "$(dirname "$0")/.."

if [ "$(id -u)" != 0 ]; then
    echo "*** FRESH-MACHINE CHECK SKIPPED: it needs root (debootstrap, chroot, mounts) ***" >&2
    exit 0
fi
tools/ensure-packages.sh debootstrap

# The first Debian archive (not the security one) among this machine's apt sources.
mirror=$(
    {
        cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -n 's/^URIs:[[:space:]]*//p'
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            sed -n 's/^deb[[:space:]]\{1,\}\(\[[^]]*\][[:space:]]*\)\{0,1\}\([^[:space:]]*\).*/\2/p'
    } | tr ' ' '\n' | grep -v -e security -e '^$' | head -n 1
)
if [ -z "$mirror" ]; then
    echo "fresh-machine check: no Debian mirror in this machine's apt sources" >&2
    exit 1
fi

root=$(mktemp -d /var/tmp/quorl-fresh-root.XXXXXX)
chmod 755 "$root" # it becomes /, which every user must be able to enter
logs=$(mktemp -d /var/tmp/quorl-fresh-logs.XXXXXX)
cleanup() {
    status=$?
    for mount in "$root/dev" "$root/proc"; do
        if mountpoint -q "$mount"; then
            umount "$mount" || umount -l "$mount" || status=1
        fi
    done
    # Never remove through a mount: that would reach into the real /dev or /proc.
    if grep -q " $root/" /proc/mounts; then
        echo "fresh-machine check: $root is still mounted; left in place" >&2
        status=1
    else
        rm -rf --one-file-system "$root"
    fi
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

start=$(date +%s)
step debootstrap debootstrap --variant=minbase --include=make,git,ca-certificates bookworm \
    "$root" "$mirror"
# The same package sources and apt settings as this machine, and its name servers.
rm -f "$root/etc/apt/sources.list"
cp -r /etc/apt/sources.list.d /etc/apt/apt.conf.d "$root/etc/apt/"
[ -f /etc/apt/sources.list ] && cp /etc/apt/sources.list "$root/etc/apt/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir "$root/src"
git archive HEAD | tar -x -C "$root/src"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"

in_chroot() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        sh -c "cd /src && $1"
}
step "make-demo" in_chroot "make demo"
step "make-test" in_chroot "make test"
echo "fresh-machine check passed in $(($(date +%s) - start)) s (make demo and make test in a minimal Debian 12)"

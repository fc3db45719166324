#!/bin/sh
# The SELinux check: boots Debian's kernel (this machine's release) with SELinux and Debian's
# reference policy, permissive, under QEMU, from an initramfs that holds the tool, its build step
# and their libraries, and runs there the writer's rows that SELinux changes: on a tmpfs and on
# ext4, each command and the build step replace an existing output (a new inode, a label kept),
# and a full file system keeps the old text whole. The kernel and the policy are fetched once
# into the cache (QUORL_SELINUX_CACHE, default /var/cache/quorl-selinux); cached, a run takes
# about a minute (QEMU emulates the machine: KVM, where there is some, is not relied on).
#
#   tools/selinux-check.sh [build folder]      (default build/ci, whose two programs it builds)
#
# Needs root for the packages and for the debootstrap that builds the policy; without root it
# says loudly that it skipped.
set -eu
cd "$(dirname "$0")/.."
if [ "$(id -u)" != 0 ]; then
    echo "*** SELINUX CHECK SKIPPED: it needs root (packages, debootstrap) ***" >&2
    exit 0
fi
tools/ensure-packages.sh qemu-system-x86 busybox-static debootstrap cpio e2fsprogs attr binutils
build=${1:-build/ci}
if [ "$build" = build/ci ]; then
    tools/ci-preset.sh configure >/dev/null
    cmake --build build/ci --target quorlModuleParser quorlRegenerate >/dev/null
fi
cache=${QUORL_SELINUX_CACHE:-/var/cache/quorl-selinux}
mkdir -p "$cache"
. tools/debian-archives.sh
. /etc/os-release

# The kernel, and the modules that the ext4 rows need, with what they depend on.
kernel=$(apt-cache depends linux-image-amd64 | sed -n 's/.*Depends: \(linux-image-[0-9].*\)/\1/p' |
    head -n 1)
tree=$cache/$kernel
if [ ! -f "$tree/vmlinuz" ]; then
    echo "== $kernel: not in $cache, fetching it"
    rm -rf "$tree" && mkdir -p "$tree/deb"
    (cd "$tree/deb" && apt-get download "$kernel" 2>/dev/null)
    dpkg-deb -x "$tree"/deb/*.deb "$tree/deb/root"
    mv "$tree"/deb/root/boot/vmlinuz-* "$tree/vmlinuz.new"
    mv "$tree/deb/root/lib/modules" "$tree/modules"
    rm -rf "$tree/deb"
    mv "$tree/vmlinuz.new" "$tree/vmlinuz"
fi

# The reference policy as Debian builds it when the package is installed.
policy=$cache/policy-$(apt-cache policy selinux-policy-default | sed -n 's/ *Candidate: //p')
if [ ! -f "$policy" ]; then
    echo "== the SELinux reference policy: not in $cache, building it in a minimal $VERSION_CODENAME"
    root=$(mktemp -d /var/tmp/quorl-selinux-root.XXXXXX)
    trap 'umount "$root/proc" 2>/dev/null || true; rm -rf --one-file-system "$root"' EXIT
    debootstrap --variant=minbase "$VERSION_CODENAME" "$root" "$mirror" >/dev/null
    mount -t proc proc "$root/proc"
    chroot "$root" sh -c "DEBIAN_FRONTEND=noninteractive apt-get install -y \
        --no-install-recommends selinux-policy-default" >/dev/null
    cp "$(ls "$root"/etc/selinux/default/policy/policy.* | tail -n 1)" "$policy"
    umount "$root/proc"
    rm -rf --one-file-system "$root"
    trap - EXIT
fi

work=$(mktemp -d /var/tmp/quorl-selinux.XXXXXX)
trap 'rm -rf "$work"' EXIT
image=$work/image
mkdir -p "$image/bin" "$image/modules" "$image/tool"
cp /bin/busybox "$image/bin/busybox"
cp "$policy" "$image/policy"
# Each program with the libraries it loads, at their own paths.
for program in "$build/app/quorlModuleParser" "$build/regenerate/quorlRegenerate" \
    /sbin/mke2fs /usr/bin/getfattr; do
    cp "$program" "$image/tool/"
    ldd "$program" | awk '/=> \// { print $3 } /^[[:space:]]*\// { print $1 }' | while read -r lib; do
        mkdir -p "$image$(dirname "$lib")"
        cp -L "$lib" "$image$lib"
    done
done
add_modules() {
    local name file # dash's and bash's: the recursion below must not change them
    for name in "$@"; do
        file=$(find "$tree/modules" -name "$name.ko" | head -n 1)
        # Built into the kernel, or loaded already.
        [ -n "$file" ] && ! grep -qx "$name" "$image/modules/order" 2>/dev/null || continue
        # shellcheck disable=SC2046
        add_modules $(strings -a "$file" | sed -n 's/^depends=//p' | tr ',' ' ')
        cp "$file" "$image/modules/"
        echo "$name" >>"$image/modules/order"
    done
}
add_modules loop ext4 crc32c_generic # ext4 asks the crypto API for crc32c, which no modprobe loads here
cp tools/selinux-rows.sh "$image/init"
chmod 755 "$image/init"
(cd "$image" && find . | cpio -o -H newc 2>/dev/null | gzip -1) >"$work/initrd.gz"

echo "== $kernel with SELinux under QEMU"
timeout 900 qemu-system-x86_64 -accel tcg -m 1536 -nographic -no-reboot \
    -kernel "$tree/vmlinuz" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 lsm=lockdown,yama,integrity,selinux enforcing=0 panic=-1 quiet" \
    </dev/null >"$work/console" 2>&1 || true
sed -n 's/.*\(selinux-check: \)/\1/p' "$work/console" | tr -d '\r'
if ! grep -q 'selinux-check: passed' "$work/console"; then
    echo "SELinux check failed; the end of the console:" >&2
    tail -n 40 "$work/console" >&2
    exit 1
fi

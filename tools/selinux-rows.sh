#!/bin/busybox sh
# The init of tools/selinux-check.sh's machine: loads SELinux's policy, then runs the writer's
# rows on a tmpfs and on ext4, prints one "selinux-check:" line each and powers off.
/bin/busybox mkdir -p /proc /sys /dev
/bin/busybox --install -s /bin
export PATH=/tool:/bin
failed=0
say() { echo "selinux-check: $*"; }
fail() {
    say "FAILED: $*"
    failed=1
}
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t selinuxfs selinuxfs /sys/fs/selinux
# The policy goes in with one write, as the kernel takes it.
dd if=/policy of=/sys/fs/selinux/load bs=64M 2>/dev/null
for module in $(cat /modules/order); do
    grep -q "^$module " /proc/modules || insmod "/modules/$module.ko" || fail "insmod $module"
done
[ -e /sys/fs/selinux/policyvers ] || fail "SELinux is not on"
say "SELinux policy version $(cat /sys/fs/selinux/policyvers), enforcing $(cat /sys/fs/selinux/enforce)"

# Each command, run twice on an output with other text, replaces it: a new inode, the new text,
# a label.
replaces() {
    fs=$1
    echo 'CLASSES = Shape' >a.tags
    echo 'CLASSES = Circle inherits Shape' >b.tags
    for command in "quorlModuleParser -createClassReg" "quorlModuleParser -createTagsInfo" \
        "quorlRegenerate -createClassReg"; do
        rm -f out
        $command a.tags out || fail "$fs $command a.tags"
        before=$(stat -c %i out)
        $command b.tags out || fail "$fs $command b.tags"
        $command b.tags expected || fail "$fs $command b.tags expected"
        after=$(stat -c %i out)
        label=$(getfattr --only-values -n security.selinux out 2>/dev/null | tr -d '\0')
        [ "$before" != "$after" ] || fail "$fs $command wrote in place (inode $before)"
        cmp -s out expected || fail "$fs $command: not the new text"
        [ -n "$label" ] || fail "$fs $command: no label"
        say "$fs $command: inode $before -> $after, label $label"
        rm -f expected
    done
}

# On a full file system a replacement fails and the old text stays whole.
full() {
    fs=$1
    echo 'CLASSES = Shape' >a.tags
    i=0
    : >/big.tags
    while [ $i -lt 20000 ]; do echo "CLASSES = Class$i inherits Shape" >>/big.tags; i=$((i + 1)); done
    quorlModuleParser -createClassReg a.tags out || fail "$fs full: first run"
    cp out /old
    dd if=/dev/zero of=filler bs=4k 2>/dev/null
    sync
    quorlModuleParser -createClassReg /big.tags out 2>/error && fail "$fs full: the run succeeded"
    cmp -s out /old || fail "$fs full: the old text changed ($(stat -c %s out) bytes)"
    say "$fs full: $(cat /error); the output holds $(stat -c %s out) bytes, the old text $(stat -c %s /old)"
    rm -f filler /big.tags
}

mkdir /tmpfs /full /ext4 /images
mount -t tmpfs -o size=64m tmpfs /tmpfs && cd /tmpfs && replaces tmpfs
mount -t tmpfs -o size=512k tmpfs /full && cd /full && full tmpfs
cd /
mount -t tmpfs -o size=256m tmpfs /images
/tool/mke2fs -q -t ext4 /images/ext4 32M # the applet of that name is no ext4 one
if device=$(losetup -f) && losetup "$device" /images/ext4 && mount -t ext4 "$device" /ext4; then
    cd /ext4 && replaces ext4 && full ext4
else
    fail "ext4 cannot be mounted"
fi
cd /
[ $failed = 0 ] && say passed
poweroff -f

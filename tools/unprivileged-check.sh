#!/bin/sh
# The suite as a normal user: a clone of the committed tree, owned by a user made for it, built
# and tested by that user with the README's `make test` (the packages are installed already), so
# that a test which needs root without saying so fails.
#
#   tools/unprivileged-check.sh
#
# Needs root to make the user; without root it says loudly that it skipped.
set -eu
cd "$(dirname "$0")/.."
if [ "$(id -u)" != 0 ]; then
    echo "*** UNPRIVILEGED CHECK SKIPPED: it needs root to make the user ***" >&2
    exit 0
fi
user=quorl-check
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$user"
home=$(getent passwd "$user" | cut -d: -f6)
rm -rf "$home/src"
mkdir "$home/src"
git archive HEAD | tar -x -C "$home/src"
chown -R "$user:" "$home/src"
echo "== the suite as $user, in $home/src"
runuser -u "$user" -- env -i HOME="$home" LANG=C.UTF-8 PATH=/usr/local/bin:/usr/bin:/bin \
    sh -c "cd '$home/src' && make test"

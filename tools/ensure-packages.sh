#!/bin/sh
# Makes sure the Debian packages named as arguments are installed.
# Installs the missing ones with apt-get when running as root; otherwise names them and fails.
# When nothing is missing, no package manager is touched.
set -eu

missing=""
for package in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
        *" installed") ;;
        *) missing="$missing $package" ;;
    esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
    echo "installing missing packages:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    # shellcheck disable=SC2086
    apt-get install -y --no-install-recommends $missing
    exit 0
fi

echo "missing packages:$missing" >&2
echo "install them as root with: apt-get install$missing" >&2
if command -v sudo >/dev/null 2>&1; then
    echo "or, with sudo: sudo apt-get install$missing" >&2
fi
exit 1

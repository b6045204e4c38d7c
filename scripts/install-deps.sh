#!/usr/bin/env bash
# Installs the Debian packages the program needs to build, test and run, when any is missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config lld
    qt6-base-dev qt6-webengine-dev libgl1-mesa-dev
    mdbtools-dev libsqlite3-dev sqlite3
    libkainjow-mustache-dev poppler-utils
    xvfb xauth dpkg-dev openssl
    postgresql libpq-dev qtkeychain-qt6-dev libsecret-1-0
    dbus-daemon gnome-keyring
    python3 lintian desktop-file-utils appstream shared-mime-info man-db
)

# --hardening: also the compilers and runtimes of the fuzz and sanitizer runs.
if [ "${1:-}" = "--hardening" ]; then
    packages+=(clang-14 libfuzzer-14-dev libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)" != "install ok installed" ]; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

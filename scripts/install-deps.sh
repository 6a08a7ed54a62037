#!/usr/bin/env bash
# Installs every Debian package that the build and the tests need. Idempotent:
# when everything is there it only looks, which takes a moment.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config  # the tool chain
    libicu-dev                                    # code pages
    libcurl4-openssl-dev zlib1g-dev               # the web client
    libpcre2-dev                                  # the pattern matcher
    curl gzip python3                             # what the benchmarks measure against
    libssl-dev openssl                            # the tests' HTTPS servers and their CA
    libgtest-dev googletest                       # the tests
    qt6-base-dev qt6-webengine-dev libgl-dev      # the windows and the hidden browser
    fonts-wqy-microhei                            # Chinese text on screen
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# some are missing; then configures and builds in build/: the given targets,
# or everything (program and tests).
set -euo pipefail

cd "$(dirname "$0")/.."

paquets=(cmake g++ make qt6-base-dev libqt6sql6-mysql qt6-translations-l10n mariadb-server mariadb-client poppler-utils)
manquants=()
for p in "${paquets[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || manquants+=("$p")
done

if [ ${#manquants[@]} -gt 0 ]; then
    echo "Installing: ${manquants[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "error: these packages are missing and sudo is not available: ${manquants[*]}" >&2; exit 1; }
        sudo="sudo"
    fi
    export DEBIAN_FRONTEND=noninteractive
    # The server is only used privately: keep Debian from starting its own.
    if [ ! -e /usr/sbin/policy-rc.d ] && [ "$(id -u)" -eq 0 ]; then
        printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d && chmod +x /usr/sbin/policy-rc.d
        trap 'rm -f /usr/sbin/policy-rc.d' EXIT
    fi
    if ! { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends "${manquants[@]}" >/dev/null; }; then
        echo "error: could not install the packages: ${manquants[*]}" >&2
        exit 1
    fi
fi

build_type=${BUILD_TYPE:-Release}
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE="$build_type" >/dev/null
fi
cibles=()
for cible in "$@"; do cibles+=(--target "$cible"); done
cmake --build build --parallel "$(nproc)" "${cibles[@]}"

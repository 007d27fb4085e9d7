#!/usr/bin/env bash
# Installs the Debian packages that building, running, testing and packaging
# need, when some are missing; then configures and builds in build/: the given
# targets, or everything (program, tests and benchmarks).
#   setup.sh [--quiet] [TARGET...]
# With --quiet the build's progress goes to build/compilation.log and only a
# failure is shown.
set -euo pipefail

cd "$(dirname "$0")/.."

silence=false
if [ "${1:-}" = "--quiet" ]; then
    silence=true
    shift
fi

# fonts-liberation2: the program's font, whose widths its fixed layouts fit.
# appstream: the test suite validates the installed metainfo.
# libmariadb-dev: the gates ask the client library about the connection.
# libcsv-dev: bank statements are cut into fields by libcsv.
# qt6-charts-dev, libqt6opengl6-dev: the report's chart (Qt Charts' CMake
# files need Qt's OpenGL ones, which its package does not bring).
# file, dpkg-dev: `cpack -G DEB` finds the package's library dependencies with them.
paquets=(cmake g++ make pkg-config qt6-base-dev libqt6sql6-mysql libmariadb-dev libcsv-dev qt6-translations-l10n mariadb-server
    mariadb-client poppler-utils fonts-liberation2 appstream file dpkg-dev
    qt6-charts-dev libqt6opengl6-dev)
manquants=()
for p in "${paquets[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || manquants+=("$p")
done

if [ ${#manquants[@]} -gt 0 ]; then
    echo "Installation des paquets manquants : ${manquants[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Erreur : ces paquets manquent et sudo n'est pas disponible : ${manquants[*]}" >&2; exit 1; }
        sudo="sudo"
    fi
    export DEBIAN_FRONTEND=noninteractive
    # The server is only used privately: keep Debian from starting its own.
    if [ ! -e /usr/sbin/policy-rc.d ] && [ "$(id -u)" -eq 0 ]; then
        printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d && chmod +x /usr/sbin/policy-rc.d
        trap 'rm -f /usr/sbin/policy-rc.d' EXIT
    fi
    if ! { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends "${manquants[@]}" >/dev/null; }; then
        echo "Erreur : les paquets n'ont pas pu être installés : ${manquants[*]}" >&2
        exit 1
    fi
fi

# The benchmarks are built with everything else (not run), so that they keep
# compiling; a build folder configured without them gets them.
build_type=${BUILD_TYPE:-Release}
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE="$build_type" -DTABLORAN_BENCH=ON >/dev/null
elif ! grep -qx 'TABLORAN_BENCH:BOOL=ON' build/CMakeCache.txt; then
    cmake -S . -B build -DTABLORAN_BENCH=ON >/dev/null
fi
cibles=()
for cible in "$@"; do cibles+=(--target "$cible"); done
if ! $silence; then
    cmake --build build --parallel "$(nproc)" "${cibles[@]}"
    exit 0
fi
[ -x build/tabloran ] || echo "Compilation de TABLORAN (la première fois prend quelques minutes)…"
if ! cmake --build build --parallel "$(nproc)" "${cibles[@]}" >build/compilation.log 2>&1; then
    tail -n 30 build/compilation.log >&2
    echo "Erreur : la compilation a échoué ; le détail complet est dans build/compilation.log" >&2
    exit 1
fi

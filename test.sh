#!/usr/bin/env bash
# Installs what is missing, builds everything (the benchmarks too, which keep
# compiling but are not run), and runs the whole test suite, the Debian
# package's check included. The suite starts its own throwaway MariaDB and
# removes it at the end.
set -euo pipefail
cd "$(dirname "$0")"

scripts/setup.sh

# Should ctest itself be interrupted, the test server still goes.
serveur=$(cat build/test-server-dir)
trap 'scripts/mariadb.sh remove "$serveur" >/dev/null 2>&1 || true' EXIT

cd build
ctest --output-on-failure "$@"

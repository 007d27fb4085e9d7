#!/usr/bin/env bash
# Installs what is missing, builds quietly, and starts TABLORAN from this folder
# (its settings live in config/base.sni here) through the launcher that the
# installed program uses too, which starts a private MariaDB when needed.
set -euo pipefail
cd "$(dirname "$0")"

scripts/setup.sh --quiet tabloran

if [ ! -f config/base.sni ]; then
    mkdir -p config
    (umask 077 && printf 'localhost test root ' >config/base.sni)
    echo "Paramètres de connexion par défaut (localhost test root, sans mot de passe) enregistrés dans config/base.sni"
fi

TABLORAN_PROGRAMME="$PWD/build/tabloran" exec scripts/lanceur.sh "$@"

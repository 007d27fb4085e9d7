#!/usr/bin/env bash
# Installs what is missing, builds, makes sure a MySQL server answers the
# program's settings, and starts TABLORAN from this directory (its settings
# live in config/base.sni here).
set -euo pipefail
cd "$(dirname "$0")"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "error: there is no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "       Start TABLORAN from a graphical session, or under xvfb-run." >&2
    exit 1
fi

scripts/setup.sh tabloran

# The settings the program reads: host, database, user, password. A first run
# starts from the defaults.
if [ ! -f config/base.sni ]; then
    mkdir -p config
    (umask 077 && printf 'localhost test root ' > config/base.sni)
    echo "Created config/base.sni with the default settings (localhost test root, no password)."
fi
host=localhost base=test user=root password=
read -r -d '' h b u p _ < config/base.sni || true
host=${h-$host}; base=${b-$base}; user=${u-$user}; password=${p-}

serveur_prive=""
client=(mariadb)
if [ "$host" = "localhost" ] && ! mariadb-admin ping >/dev/null 2>&1; then
    # No server on this machine: a private one of the user's own, whose data
    # stays for the next run.
    serveur_prive="${XDG_DATA_HOME:-$HOME/.local/share}/tabloran/mariadb"
    echo "Starting a private MariaDB in $serveur_prive"
    scripts/mariadb.sh start "$serveur_prive"
    mariadb --no-defaults --socket="$serveur_prive/mysql.sock" -uroot \
        -e "CREATE DATABASE IF NOT EXISTS \`${base//\`/}\`" || true
    export MYSQL_UNIX_PORT="$serveur_prive/mysql.sock"
    client=(mariadb --no-defaults --socket="$MYSQL_UNIX_PORT")
    trap 'scripts/mariadb.sh stop "$serveur_prive"' EXIT
fi

if ! err=$(MYSQL_PWD="$password" "${client[@]}" --connect-timeout=5 -h "$host" -u "$user" -e "SELECT 1" "$base" 2>&1 >/dev/null); then
    echo "warning: the server named by the settings refuses them: $err" >&2
    echo "         TABLORAN starts anyway; change the settings with \"Modifier les paramètres\"." >&2
fi

build/tabloran "$@"

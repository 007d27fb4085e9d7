#!/usr/bin/env bash
# Starts TABLORAN for a desktop user: the installed `tabloran` command, and the
# last step of ./run.sh (which names the freshly built program in
# TABLORAN_PROGRAMME).
#
# The settings are config/base.sni in the current folder when there is one,
# otherwise base.sni in the user's configuration folder, created with the
# defaults on the first start. When they name localhost and no server answers
# on this machine, a private MariaDB of the user's own is started (its data
# stays for the next start) and stopped when the program ends.
set -uo pipefail

ici=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
programme=${TABLORAN_PROGRAMME:-$ici/tabloran}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "TABLORAN : aucun écran où ouvrir la fenêtre (ni DISPLAY ni WAYLAND_DISPLAY)." >&2
    echo "Lancez-le depuis une session graphique, ou sous xvfb-run." >&2
    exit 1
fi

if [ -f config/base.sni ]; then
    reglages=config/base.sni
else
    reglages="${XDG_CONFIG_HOME:-$HOME/.config}/tabloran/base.sni"
    if [ ! -f "$reglages" ]; then
        mkdir -p "$(dirname "$reglages")"
        (umask 077 && printf 'localhost test root ' >"$reglages")
        echo "Paramètres de connexion par défaut (localhost test root, sans mot de passe) enregistrés dans $reglages"
    fi
fi
h=localhost b=test u=root p=
read -r -d '' h b u p _ <"$reglages" || true
host=${h:-localhost} base=${b:-test} user=${u:-root} password=${p:-}

client=(mariadb)
if [ "$host" = "localhost" ] && ! mariadb-admin ping >/dev/null 2>&1; then
    # No server on this machine: the user's private one, shared by every start.
    prive="${XDG_DATA_HOME:-$HOME/.local/share}/tabloran/mariadb"
    socket="$prive/mysql.sock"
    ping_prive() { mariadb-admin --no-defaults --socket="$socket" -uroot ping >/dev/null 2>&1; }
    if ! command -v mariadbd >/dev/null 2>&1 && ! [ -x /usr/sbin/mariadbd ]; then
        echo "Aucun serveur MariaDB ne répond sur cette machine et le paquet mariadb-server n'est pas installé." >&2
        echo "TABLORAN démarre quand même ; choisissez un serveur avec \"Modifier les paramètres\"." >&2
    else
        export PATH="$PATH:/usr/sbin"
        if ping_prive; then
            # Another TABLORAN started it and stops it when it ends.
            echo "Serveur MariaDB privé déjà démarré ; ses données sont dans $prive"
        elif "$ici/mariadb.sh" start "$prive"; then
            echo "Serveur MariaDB privé démarré ; ses données sont dans $prive"
            trap '"$ici/mariadb.sh" stop "$prive"' EXIT
            trap 'exit 130' INT
            trap 'exit 143' TERM HUP
        fi
        if ping_prive; then
            mariadb --no-defaults --socket="$socket" -uroot \
                -e "CREATE DATABASE IF NOT EXISTS \`${base//\`/}\`" >/dev/null 2>&1 || true
            export MYSQL_UNIX_PORT="$socket"
            client=(mariadb --no-defaults --socket="$socket")
        fi
    fi
fi

if command -v mariadb >/dev/null 2>&1 \
    && ! err=$(MYSQL_PWD="$password" "${client[@]}" --connect-timeout=5 -h "$host" -u "$user" \
        -e "SELECT 1" "$base" 2>&1 >/dev/null); then
    echo "Le serveur désigné par les paramètres ($reglages) refuse la connexion : $err" >&2
    echo "TABLORAN démarre quand même ; corrigez-les avec \"Modifier les paramètres\"." >&2
fi

"$programme" "$@"

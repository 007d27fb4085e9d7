#!/usr/bin/env bash
# A private MariaDB server kept in one directory, reached by its socket only.
#   mariadb.sh start DIR    create the data directory if needed, start, wait until it answers
#   mariadb.sh stop DIR     stop it, keeping its data
#   mariadb.sh remove DIR   stop it and delete the directory
# The socket is DIR/mysql.sock; root has an empty password; database "test" exists.
set -euo pipefail

action=${1:?usage: mariadb.sh start|stop|remove DIR}
dir=${2:?usage: mariadb.sh start|stop|remove DIR}
data="$dir/data"
sock="$dir/mysql.sock"
pidfile="$dir/mariadbd.pid"
log="$dir/mariadbd.err"

ping() { mariadb-admin --no-defaults --socket="$sock" -uroot ping >/dev/null 2>&1; }

stop() {
    [ -f "$pidfile" ] || return 0
    local pid
    pid=$(cat "$pidfile" 2>/dev/null || true)
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 1 200); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -f "$pidfile"
}

case "$action" in
start)
    mkdir -p "$dir"
    if ping; then exit 0; fi
    stop
    if [ ! -d "$data/mysql" ]; then
        rm -rf "$data"
        mariadb-install-db --no-defaults --datadir="$data" --user="$(id -un)" \
            --auth-root-authentication-method=normal >"$dir/install.log" 2>&1 || {
            echo "mariadb.sh: could not create the data directory $data:" >&2
            tail -n 20 "$dir/install.log" >&2
            exit 1
        }
    fi
    setsid mariadbd --no-defaults --user="$(id -un)" --datadir="$data" --socket="$sock" \
        --skip-networking --pid-file="$pidfile" --log-error="$log" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 1 400); do
        if ping; then
            mariadb --no-defaults --socket="$sock" -uroot -e "CREATE DATABASE IF NOT EXISTS test"
            exit 0
        fi
        sleep 0.05
    done
    echo "mariadb.sh: the server in $dir did not start:" >&2
    tail -n 20 "$log" >&2 || true
    exit 1
    ;;
stop)
    stop
    ;;
remove)
    stop
    rm -rf "$dir"
    ;;
*)
    echo "usage: mariadb.sh start|stop|remove DIR" >&2
    exit 2
    ;;
esac

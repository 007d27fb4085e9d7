#!/usr/bin/env bash
# A private three-node MariaDB Galera cluster on loopback, kept in one directory.
#   grappe.sh start DIR    create the nodes, start them one after the other, wait until all are synced
#   grappe.sh remove DIR   stop every node and delete the directory
# Node N (1 to 3) answers on the socket DIR/nN/mysql.sock and on TCP 127.0.0.1 at
# the port written in DIR/nN/port; root has an empty password; database "test" exists.
# State transfer by rsync cannot run as root (its daemon drops to "nobody"), so
# the nodes run as the invoking user, or as the system user tabloran-grappe
# (created when missing) when the script is run as root.
set -euo pipefail

action=${1:?usage: grappe.sh start|remove DIR}
dir=${2:?usage: grappe.sh start|remove DIR}
galera=/usr/lib/galera/libgalera_smm.so

if [ "$(id -u)" -eq 0 ]; then
    utilisateur=tabloran-grappe
else
    utilisateur=$(id -un)
fi
comme() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u "$utilisateur" -- "$@"; else "$@"; fi
}

# Four ports per node, from a base chosen after the directory's name, so that two
# clusters of two builds do not meet.
base=$((20000 + $(printf '%s' "$dir" | cksum | cut -d' ' -f1) % 400 * 100))
port() { echo $((base + $1 * 10 + $2)); } # node, 0 SQL / 1 group / 2 IST / 3 SST

sock() { echo "$dir/n$1/mysql.sock"; }
ping() { mariadb-admin --no-defaults --socket="$(sock "$1")" -uroot ping >/dev/null 2>&1; }
etat() {
    mariadb --no-defaults --socket="$(sock "$1")" -uroot -N -B \
        -e "SHOW STATUS LIKE 'wsrep_local_state_comment'" 2>/dev/null | cut -f2
}

stop_all() {
    local n pid
    for n in 3 2 1; do
        [ -f "$dir/n$n/mariadbd.pid" ] || continue
        pid=$(cat "$dir/n$n/mariadbd.pid" 2>/dev/null || true)
        [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null || true
    done
    for n in 3 2 1; do
        [ -f "$dir/n$n/mariadbd.pid" ] || continue
        pid=$(cat "$dir/n$n/mariadbd.pid" 2>/dev/null || true)
        if [ -n "$pid" ]; then
            for _ in $(seq 1 300); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            kill -KILL "$pid" 2>/dev/null || true
        fi
        rm -f "$dir/n$n/mariadbd.pid"
    done
}

demarrer() {
    local n=$1
    shift
    local adresses="gcomm://127.0.0.1:$(port 1 1),127.0.0.1:$(port 2 1),127.0.0.1:$(port 3 1)"
    comme setsid mariadbd --no-defaults --user="$utilisateur" --datadir="$dir/n$n/data" \
        --socket="$(sock "$n")" --port="$(port "$n" 0)" --bind-address=127.0.0.1 \
        --pid-file="$dir/n$n/mariadbd.pid" --log-error="$dir/n$n/mariadbd.err" \
        --innodb-buffer-pool-size=32M --innodb-log-file-size=16M --performance-schema=OFF \
        --binlog-format=ROW --default-storage-engine=InnoDB --innodb-autoinc-lock-mode=2 \
        --wsrep-on=ON --wsrep-provider="$galera" --wsrep-cluster-name=tabloran \
        --wsrep-cluster-address="$adresses" --wsrep-node-name="n$n" \
        --wsrep-node-address=127.0.0.1 --wsrep-node-incoming-address="127.0.0.1:$(port "$n" 0)" \
        --wsrep-provider-options="gmcast.listen_addr=tcp://127.0.0.1:$(port "$n" 1);ist.recv_addr=127.0.0.1:$(port "$n" 2);gcache.size=16M;pc.wait_prim_timeout=PT10S" \
        --wsrep-sst-method=rsync --wsrep-sst-receive-address="127.0.0.1:$(port "$n" 3)" \
        "$@" </dev/null >/dev/null 2>&1 &
}

attendre() {
    local n=$1
    for _ in $(seq 1 300); do
        if ping "$n" && [ "$(etat "$n")" = "Synced" ]; then
            return 0
        fi
        if [ -f "$dir/n$n/mariadbd.pid" ] && ! kill -0 "$(cat "$dir/n$n/mariadbd.pid")" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    echo "grappe.sh: node $n did not join the cluster:" >&2
    tail -n 30 "$dir/n$n/mariadbd.err" >&2 || true
    return 1
}

case "$action" in
start)
    [ -f "$galera" ] || { echo "grappe.sh: $galera is missing (package galera-4)" >&2; exit 1; }
    command -v rsync >/dev/null || { echo "grappe.sh: rsync is missing" >&2; exit 1; }
    if [ "$(id -u)" -eq 0 ] && ! id "$utilisateur" >/dev/null 2>&1; then
        useradd --system --no-create-home --shell /usr/sbin/nologin "$utilisateur"
    fi
    stop_all
    rm -rf "$dir"
    mkdir -p "$dir"
    chmod 755 "$dir"
    for n in 1 2 3; do mkdir -p "$dir/n$n"; port "$n" 0 >"$dir/n$n/port"; done
    [ "$(id -u)" -ne 0 ] || chown -R "$utilisateur" "$dir"
    comme mariadb-install-db --no-defaults --datadir="$dir/n1/data" --user="$utilisateur" \
        --auth-root-authentication-method=normal >"$dir/install.log" 2>&1 || {
        echo "grappe.sh: could not create the data directory:" >&2
        tail -n 20 "$dir/install.log" >&2
        exit 1
    }
    # The first node founds the cluster; the two others join it one after the
    # other, each receiving the first one's state by rsync.
    demarrer 1 --wsrep-new-cluster
    attendre 1 || { stop_all; exit 1; }
    mariadb --no-defaults --socket="$(sock 1)" -uroot -e "CREATE DATABASE IF NOT EXISTS test"
    for n in 2 3; do
        comme mkdir -p "$dir/n$n/data"
        demarrer "$n"
        attendre "$n" || { stop_all; exit 1; }
    done
    ;;
remove)
    stop_all
    rm -rf "$dir"
    ;;
*)
    echo "usage: grappe.sh start|remove DIR" >&2
    exit 2
    ;;
esac

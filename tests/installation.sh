#!/usr/bin/env bash
# installation.sh BUILD_DIR
# Installs the build into a temporary DESTDIR and checks what a desktop relies
# on: the command, the menu entry and what it names, the icons, a valid
# AppStream description. Then starts the installed command, with a stand-in
# for the program, as a user without a server: it must start the user's
# private MariaDB for the program and stop it afterwards.
set -euo pipefail

build=$(readlink -f "$1")
racine=$(mktemp -d)
trap 'rm -rf "$racine"' EXIT
echec() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR="$racine/dest" cmake --install "$build" --prefix /usr >/dev/null
usr="$racine/dest/usr"
trap '"$usr/libexec/tabloran/mariadb.sh" stop "$racine/maison/.local/share/tabloran/mariadb" \
    >/dev/null 2>&1; rm -rf "$racine"' EXIT

[ -x "$usr/libexec/tabloran/tabloran" ] || echec "the program is not installed"
[ -L "$usr/bin/tabloran" ] || echec "bin/tabloran is not a link to the launcher"
[ "$(readlink -f "$usr/bin/tabloran")" = "$usr/libexec/tabloran/lanceur.sh" ] \
    || echec "bin/tabloran leads to $(readlink -f "$usr/bin/tabloran")"

entrees=("$usr"/share/applications/*.desktop)
[ ${#entrees[@]} -eq 1 ] && [ -f "${entrees[0]}" ] || echec "expected one desktop entry"
entree=${entrees[0]}
champ() { sed -n "s/^$1=//p" "$entree"; }
commande=$(champ Exec | cut -d' ' -f1)
case "$commande" in
/*) [ -x "$racine/dest$commande" ] || echec "Exec names $commande, which is not installed" ;;
*) [ -x "$usr/bin/$commande" ] || echec "Exec names $commande, which is not in bin/" ;;
esac
[ "$(readlink -f "$usr/bin/${commande##*/}")" = "$usr/libexec/tabloran/lanceur.sh" ] \
    || echec "Exec does not name the launcher"
champ Categories | grep -qw Office || echec "the entry is not in the Office category"
[ -n "$(champ Name)" ] && [ -n "$(champ Comment)" ] || echec "the entry has no name or comment"
icone=$(champ Icon)
for taille in 16 32 48 64 128 256; do
    [ -f "$usr/share/icons/hicolor/${taille}x${taille}/apps/$icone.png" ] \
        || echec "no ${taille}x${taille} icon named $icone"
done
[ -f "$usr/share/pixmaps/$icone.png" ] || echec "the original logo is not installed"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entree" || echec "desktop-file-validate refuses the entry"
fi

metainfo=("$usr"/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "${metainfo[0]}" || echec "appstreamcli refuses the metainfo"
grep -q "<launchable type=\"desktop-id\">$(basename "$entree")</launchable>" "${metainfo[0]}" \
    || echec "the metainfo does not launch the desktop entry"

# The installed command, as a user of this machine with no settings yet.
if mariadb-admin ping >/dev/null 2>&1; then
    echo "A MariaDB server answers on this machine: the private server is not tested."
    exit 0
fi
mkdir -p "$racine/maison" "$racine/ailleurs"
cat >"$racine/programme" <<'FIN'
#!/usr/bin/env bash
mariadb --no-defaults --socket="$MYSQL_UNIX_PORT" -uroot -N -e "SELECT DATABASE()" test >"$SORTIE"
FIN
chmod +x "$racine/programme"
sortie=$(cd "$racine/ailleurs" && env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$racine/maison" \
    QT_QPA_PLATFORM=offscreen SORTIE="$racine/vu" TABLORAN_PROGRAMME="$racine/programme" \
    "$usr/bin/tabloran")
prive="$racine/maison/.local/share/tabloran/mariadb"
[ "$(cat "$racine/vu" 2>/dev/null)" = "test" ] || echec "the program did not reach a private server"
[ "$(cat "$racine/maison/.config/tabloran/base.sni")" = "localhost test root " ] \
    || echec "the default settings were not written in the user's configuration folder"
echo "$sortie" | grep -q "ses données sont dans $prive" || echec "the launcher said: $sortie"
[ ! -e "$prive/mariadbd.pid" ] || echec "the private server still runs after the program ended"
echo "installation: all checks passed"

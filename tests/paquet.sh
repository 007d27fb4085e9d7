#!/usr/bin/env bash
# paquet.sh BUILD_DIR
# Makes the Debian package of the build as the README tells (cpack -G DEB), in
# a scratch folder, and checks it: its name, the files a desktop relies on,
# what it depends on, its description, and that dpkg installs it, into a
# scratch root (the machine itself is never changed).
set -euo pipefail

build=$(readlink -f "$1")
racine=$(mktemp -d)
trap 'rm -rf "$racine"' EXIT
echec() {
    echo "FAIL: $*" >&2
    exit 1
}

for outil in file dpkg-shlibdeps; do
    command -v "$outil" >/dev/null \
        || echec "$outil is missing: scripts/setup.sh installs it (packages file and dpkg-dev)"
done
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$racine/paquets" >"$racine/cpack.log" 2>&1; then
    cat "$racine/cpack.log" >&2
    echec "cpack -G DEB failed"
fi
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
paquet="$racine/paquets/tabloran_${version}_$(dpkg --print-architecture).deb"
[ -f "$paquet" ] || echec "no package named $(basename "$paquet"): $(ls "$racine/paquets")"

# The files, by the names the desktop looks for.
contenu=$(dpkg-deb -c "$paquet" | awk '{ print $6 }')
for fichier in ./usr/bin/tabloran ./usr/libexec/tabloran/tabloran ./usr/libexec/tabloran/lanceur.sh \
    ./usr/libexec/tabloran/mariadb.sh ./usr/share/pixmaps/tabloran.png; do
    grep -qx "$fichier" <<<"$contenu" || echec "the package lacks $fichier"
done
grep -qx './usr/share/applications/[^/]*\.desktop' <<<"$contenu" || echec "no desktop entry"
grep -qx './usr/share/metainfo/[^/]*\.metainfo\.xml' <<<"$contenu" || echec "no metainfo"
for taille in 16 32 48 64 128 256; do
    grep -qx "./usr/share/icons/hicolor/${taille}x${taille}/apps/tabloran.png" <<<"$contenu" \
        || echec "no ${taille}x${taille} icon"
done

# What it needs at run time: the Qt libraries it links (found by
# dpkg-shlibdeps), what it loads or starts, and what the README promises.
champ() { dpkg-deb -f "$paquet" "$1"; }
depend=$(champ Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for paquetRequis in libqt6sql6-mysql fonts-liberation2 mariadb-client libqt6core6 libqt6gui6 \
    libqt6widgets6 libqt6sql6 libqt6printsupport6 libmariadb3 libcsv3 libqt6charts6; do
    grep -qx "$paquetRequis" <<<"$depend" || echec "Depends lacks $paquetRequis: $(champ Depends)"
done
champ Recommends | grep -qw mariadb-server || echec "mariadb-server is not recommended"

# A summary, then a long description that does not repeat it, wrapped as text.
description=$(champ Description)
resume=$(head -n 1 <<<"$description")
[ -n "$resume" ] || echec "the description has no summary"
tail -n +2 <<<"$description" | grep -qF "$resume" && echec "the description repeats its summary"
tail -n +2 <<<"$description" | grep -q '^  ' && echec "the description has lines shown as verbatim"

# Installed into a scratch root, its dependencies forced (the root holds no
# other package); then asked of this machine's own dpkg without acting, where
# only missing dependencies may stand in the way.
dpkgRacine=(dpkg --root="$racine/racine" --log=/dev/null --force-depends)
[ "$(id -u)" -eq 0 ] || dpkgRacine+=(--force-not-root)
mkdir -p "$racine/racine/var/lib/dpkg/info" "$racine/racine/var/lib/dpkg/updates"
touch "$racine/racine/var/lib/dpkg/status" "$racine/racine/var/lib/dpkg/available"
"${dpkgRacine[@]}" -i "$paquet" >"$racine/dpkg.log" 2>&1 || {
    cat "$racine/dpkg.log" >&2
    echec "dpkg does not install the package"
}
"${dpkgRacine[@]}" -s tabloran | grep -qx 'Status: install ok installed' \
    || echec "dpkg does not list the package as installed"
[ "$(readlink -f "$racine/racine/usr/bin/tabloran")" = "$racine/racine/usr/libexec/tabloran/lanceur.sh" ] \
    || echec "the installed command does not lead to the launcher"
if ! dpkg --no-act --log=/dev/null -i "$paquet" >"$racine/essai.log" 2>&1; then
    grep -q "dependency problems" "$racine/essai.log" || {
        cat "$racine/essai.log" >&2
        echec "dpkg would not install the package on this machine"
    }
fi
echo "paquet: $(basename "$paquet") checked"

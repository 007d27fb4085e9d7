#!/usr/bin/env bash
# Mutation sample: proves that the tests catch real faults in the registers.
# Each line of the list (scripts/mutants.txt by default) names one fault, its
# four fields separated by " | " (a bar between two spaces):
#     file | text as it stands | text of the fault | what the fault is
# "\n" in a text stands for a line break. The text must stand exactly once in
# the file. One fault at a time is written
# into the file, the build is redone and the tests named on the command line
# are run; the file is then put back as it was, whatever happens. A fault is
# "tuée" when a test fails (or the build does), "survivante" otherwise.
#   scripts/mutants.sh [-l LIST] [-b BUILD_DIR] [CTEST_REGEX]
# Only the test programs the regular expression names are rebuilt. In it, %s
# stands for the folder of the file a fault is written into (compte,
# commandes...), so that each fault is judged by its own section's tests.
# The build directory must be configured already (./test.sh does it).
set -euo pipefail
cd "$(dirname "$0")/.."

liste=scripts/mutants.txt
build=build
while getopts "l:b:" option; do
    case $option in
    l) liste=$OPTARG ;;
    b) build=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
tests=${1:-"mariadb|tst_registre_%s|tst_historique|tst_fuzz|tst_concurrence"}

# The test programs an expression names (the server's fixture is no program).
cibles=()
choisir() {
    cibles=()
    while read -r nom; do
        [[ $nom == tst_* ]] && cibles+=(--target "$nom")
    done < <(cd "$build" && ctest -N -R "$1" | sed -n 's/^ *Test *#[0-9]*: //p')
}
construire() { cmake --build "$build" --parallel "$(nproc)" "${cibles[@]}" >/dev/null 2>&1; }

[ -f "$build/CMakeCache.txt" ] || { echo "Erreur : $build n'est pas configuré (lancez ./test.sh)" >&2; exit 1; }

sauve=""
remettre() { [ -n "$sauve" ] && cp "$sauve" "$fichier" && touch "$fichier" && rm -f "$sauve"; sauve=""; }
trap remettre EXIT

# The file as it stands must build and pass, or nothing can be judged.
choisir "${tests//%s/}"
construire || { echo "Erreur : la compilation échoue sans mutant" >&2; exit 1; }
(cd "$build" && ctest -R "${tests//%s/}" >/dev/null 2>&1) || { echo "Erreur : les tests échouent sans mutant" >&2; exit 1; }

total=0
tues=0
survivants=()
while IFS=$'\t' read -r fichier avant apres quoi; do
    n=$(AVANT="$avant" perl -0ne 'my $a = $ENV{AVANT}; $a =~ s/\\n/\n/g; my $c = () = /\Q$a\E/g; print $c' "$fichier")
    if [ "$n" != 1 ]; then
        echo "ignoré ($n occurrences) : $fichier : $avant" >&2
        continue
    fi
    total=$((total + 1))
    section=$(echo "$fichier" | cut -d/ -f2)
    ceux=${tests//%s/$section}
    choisir "$ceux"
    sauve=$(mktemp)
    cp "$fichier" "$sauve"
    AVANT="$avant" APRES="$apres" perl -0pi -e 'my $a = $ENV{AVANT}; my $b = $ENV{APRES}; $a =~ s/\\n/\n/g; $b =~ s/\\n/\n/g; s/\Q$a\E/$b/' "$fichier"
    if construire && (cd "$build" && timeout 600 ctest -R "$ceux" >/dev/null 2>&1); then
        survivants+=("$fichier : $quoi")
        echo "survivante : $fichier : $quoi"
    else
        tues=$((tues + 1))
        echo "tuée       : $fichier : $quoi"
    fi
    remettre
done < <(grep -v -e '^#' -e '^[[:space:]]*$' "$liste" | sed 's/ | /\t/g')

# Rebuild what the last mutant left behind.
cmake --build "$build" --parallel "$(nproc)" >/dev/null 2>&1 || true
echo
echo "$tues mutants tués sur $total ($((total ? 100 * tues / total : 0)) %)"
for s in "${survivants[@]}"; do echo "  survivant : $s"; done

#!/usr/bin/env bash
# cmake --install with a prefix of its own: the programs, the examples as data, the schema, the README and
# the man pages land where GNUInstallDirs puts them, and the installed geometrija-cli works on an installed
# example as the built one does.
#   install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
prefix=$(mktemp -d /tmp/geometrija-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
for file in bin/geometrija bin/geometrija-lab bin/geometrija-cli share/geometrija/scene.schema.json \
    share/doc/geometrija/README.md share/man/man1/geometrija.1 share/man/man1/geometrija-lab.1 \
    share/man/man1/geometrija-cli.1; do
    [ -f "$prefix/$file" ] || fail "$file not installed"
done
for program in geometrija geometrija-lab geometrija-cli; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done
examples=$(ls -d "$prefix"/share/geometrija/examples/*/ 2>/dev/null | wc -l)
[ "$examples" -ge 7 ] || fail "$examples example folders installed"

# the installed command on an installed example, from a folder of the user's own
work="$prefix/work"
mkdir -p "$work"
cp "$prefix"/share/geometrija/examples/default/kriva1.txt "$prefix"/share/geometrija/examples/default/kriva2.txt "$work"/
got=$(cd "$work" && "$prefix/bin/geometrija-cli")
want=$(cd "$work" && "$build/geometrija-cli")
[ -n "$got" ] && [ "$got" = "$want" ] || fail "installed geometrija-cli printed '$got', the built one '$want'"
[ "$("$prefix/bin/geometrija-cli" --version)" = "geometrija-cli $version" ] || fail "--version"
# the window programs refuse a missing file before they need a display
for program in geometrija geometrija-lab; do
    status=0
    out=$(cd "$prefix" && "$prefix/bin/$program") || status=$?
    [ "$status" -eq 1 ] && [ "$out" = "Greska pri otvaranju datoteke!" ] || fail "installed $program: status $status, '$out'"
done

# the man pages render, with the version filled in
if command -v man >/dev/null; then
    for page in geometrija geometrija-lab geometrija-cli; do
        text=$(MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1" 2>&1)
        grep -q "^NAME" <<<"$text" || fail "man $page has no NAME section"
        grep -q "geometrija $version" <<<"$text" || fail "man $page does not show version $version"
        grep -q "@PROJECT_VERSION@" "$prefix/share/man/man1/$page.1" && fail "man $page: version not filled in"
    done
else
    echo "man is not installed: the pages are not rendered"
fi
[ "$failures" -eq 0 ] || exit 1
echo "installed into $prefix and ran: ok"

#!/usr/bin/env bash
# The Debian package on this machine, as a user meets it: builds it with CPack from BUILD_DIR (a plain
# build, already built), installs it with apt-get (which brings the libraries it depends on), runs the
# installed geometrija-cli on an installed example and the installed geometrija and geometrija-lab on a
# missing file, reads the man pages, then removes the package and checks that nothing of it is left.
#   scripts/package_test.sh BUILD_DIR
# Needs root, or sudo. It refuses to run over a geometrija package installed before, so as not to remove it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
apt() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@"; }

if dpkg-query -W -f='${Status}' geometrija 2>/dev/null | grep -q "install ok installed"; then
    echo "package test: a geometrija package is installed already; remove it first (apt-get remove geometrija)" >&2
    exit 1
fi
work=$(mktemp -d /tmp/geometrija-package-XXXXXX)
installed=no
cleanup() {
    [ "$installed" = yes ] && apt remove --purge geometrija >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "package test: FAILED: $*" >&2
    exit 1
}

start=$(date +%s)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/out/geometrija_*.deb)
echo "package test: built $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libglut libglu libc6 libstdc++6; do
    grep -q "$library" <<<"$depends" || fail "Depends ($depends) names no $library"
done
# the man pages and the examples as data
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/geometrija ./usr/bin/geometrija-lab ./usr/bin/geometrija-cli \
    ./usr/share/man/man1/geometrija.1 ./usr/share/man/man1/geometrija-lab.1 ./usr/share/man/man1/geometrija-cli.1 \
    ./usr/share/geometrija/examples/default/kriva1.txt \
    ./usr/share/geometrija/scene.schema.json; do
    grep -q " $file\$" <<<"$contents" || fail "$file is not in the package"
done

# apt-get needs a path with a slash to take a file for a package name; the _apt user must be able to read it
chmod 755 "$work" "$work/out"
chmod 644 "$deb"
apt install "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "apt-get install $deb"; }
installed=yes
[ "$(dpkg-query -W -f='${Version}' geometrija)" = "$version" ] || fail "installed version is not $version"

# the installed command on an installed example, in a folder of the user's own
mkdir "$work/curves"
cp /usr/share/geometrija/examples/default/kriva1.txt /usr/share/geometrija/examples/default/kriva2.txt "$work/curves"/
got=$(cd "$work/curves" && /usr/bin/geometrija-cli)
want=$(cd "$work/curves" && "$build/geometrija-cli")
[ -n "$got" ] && [ "$got" = "$want" ] || fail "installed geometrija-cli printed '$got', the built one '$want'"
[ "$(geometrija-cli --version)" = "geometrija-cli $version" ] || fail "geometrija-cli --version"
(cd "$work/curves" && geometrija-cli --figure figure.svg --json >/dev/null) || fail "geometrija-cli --figure --json"
grep -q "<svg" "$work/curves/figure.svg" || fail "no figure written"
# the window programs: their libraries load, and they refuse a missing file before they need a display
for program in geometrija geometrija-lab; do
    status=0
    out=$(cd "$work" && "/usr/bin/$program") || status=$?
    [ "$status" -eq 1 ] && [ "$out" = "Greska pri otvaranju datoteke!" ] || fail "installed $program: status $status, '$out'"
done
for page in geometrija geometrija-lab geometrija-cli; do
    MANWIDTH=80 man "$page" 2>/dev/null | grep -q "^NAME" || fail "man $page shows no page"
done

apt remove --purge geometrija >"$work/remove.log" 2>&1 || { cat "$work/remove.log" >&2; fail "apt-get remove"; }
installed=no
for file in /usr/bin/geometrija /usr/bin/geometrija-lab /usr/bin/geometrija-cli /usr/share/man/man1/geometrija-cli.1 \
    /usr/share/geometrija; do
    [ ! -e "$file" ] || fail "$file is left after the package was removed"
done
echo "package test: built, installed, ran and removed $(basename "$deb") in $(($(date +%s) - start)) s"

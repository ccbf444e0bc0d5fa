# Installs the Debian packages the scripts need (sourced by the other scripts), by group:
#
#   install_deps run    building the programs and showing the window: compiler, CMake, Ninja, freeglut,
#                       Mesa; without a display also Xvfb and the tools that capture and close the window
#   install_deps test   all that, with a headless X server always, and what the checks need besides:
#                       GoogleTest, clang and libFuzzer, valgrind, the SVG renderer, the JSON Schema
#                       validator, man, and what CPack needs to build the Debian package
#   install_deps bench  the checks' packages, Google Benchmark, and lib2geom (whose headers need
#                       Boost) for the peer comparison
#   install_deps        every group
#
# Only what is missing is installed; through sudo when not root.
GEOMETRIJA_RUN_PACKAGES="cmake ninja-build g++ freeglut3-dev libglu1-mesa-dev mesa-common-dev libgl1-mesa-dri"
# the X server without a screen, xwd (x11-apps), xdotool, the netpbm converters, and python3-xlib for the
# window manager's close (scripts/xvfb.sh, scripts/close_window.py)
GEOMETRIJA_HEADLESS_PACKAGES="xvfb x11-apps xdotool netpbm python3 python3-xlib"
GEOMETRIJA_TEST_PACKAGES="$GEOMETRIJA_RUN_PACKAGES $GEOMETRIJA_HEADLESS_PACKAGES x11-utils clang libclang-rt-14-dev
  llvm pkg-config libgtest-dev libgmock-dev nlohmann-json3-dev valgrind librsvg2-bin python3-jsonschema man-db
  dpkg-dev file"
GEOMETRIJA_BENCH_PACKAGES="$GEOMETRIJA_TEST_PACKAGES libbenchmark-dev lib2geom-dev libboost-dev"

# the packages of the groups named (all of them when none is)
deps_packages() {
    local group packages=""
    [ $# -eq 0 ] && set -- bench
    for group in "$@"; do
        case $group in
            run)
                packages+=" $GEOMETRIJA_RUN_PACKAGES"
                [ -z "${DISPLAY:-}" ] && packages+=" $GEOMETRIJA_HEADLESS_PACKAGES"
                ;;
            test) packages+=" $GEOMETRIJA_TEST_PACKAGES" ;;
            bench) packages+=" $GEOMETRIJA_BENCH_PACKAGES" ;;
            *)
                echo "deps.sh: no package group '$group' (run, test, bench)" >&2
                return 2
                ;;
        esac
    done
    echo "$packages"
}

install_deps() {
    local packages missing=() pkg
    packages=$(deps_packages "$@") || return
    for pkg in $packages; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "installing: ${missing[*]}" >&2
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
}

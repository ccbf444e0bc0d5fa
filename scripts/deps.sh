# Installs the Debian packages the build, the program and the tests need (sourced by the other scripts).
# Only what is missing is installed; through sudo when not root.
GEOMETRIJA_PACKAGES="cmake ninja-build g++ clang libclang-rt-14-dev llvm pkg-config libgtest-dev libgmock-dev
  libbenchmark-dev freeglut3-dev libglu1-mesa-dev mesa-common-dev libgl1-mesa-dri xvfb x11-apps x11-utils
  xdotool netpbm python3 python3-xlib librsvg2-bin valgrind"

install_deps() {
    local missing=()
    local pkg
    for pkg in $GEOMETRIJA_PACKAGES; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "installing: ${missing[*]}" >&2
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
}

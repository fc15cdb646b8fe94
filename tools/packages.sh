# The Debian packages the build, the tests and the keyboard under Wine need; sourced by tools/test and tools/run.

PLUMTIDE_PACKAGES=(
    cmake ninja-build g++ clang clang-format libclang-rt-14-dev googletest libbenchmark-dev python3
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
    wine wine64 xvfb xauth xdotool imagemagick x11-utils wixl msitools
)

# Installs whatever is missing, with apt-get, and nothing when all is there.
plumtide_install_packages() {
    local missing=() p
    for p in "${PLUMTIDE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "installing: ${missing[*]}"
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

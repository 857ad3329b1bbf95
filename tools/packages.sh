# Sourced by tools/run and tools/test: makes sure the Debian packages the build needs exist.
# As root it installs what is missing; otherwise it prints the one apt-get line to run.

# What the game needs to build and run.
VQT_PACKAGES=(cmake ninja-build g++ pkg-config libsdl2-dev libpng-dev zlib1g-dev libcairo2-dev libcups2-dev
              libfreetype-dev libfontconfig-dev libfribidi-dev fonts-liberation2 fonts-dejavu-core
              libmpg123-dev libmp3lame-dev libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
              libswresample-dev)
# What the tests, fuzz targets and benchmarks need besides.
VQT_TEST_PACKAGES=(clang libclang-rt-14-dev lld libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth
                   x11-apps xdotool libgif-dev libsdl2-ttf-dev poppler-utils cups-daemon)

# vqt_ensure_packages [package...] - the given packages (default: the game's and the tests').
vqt_ensure_packages() {
    local wanted=("$@")
    [ ${#wanted[@]} -eq 0 ] && wanted=("${VQT_PACKAGES[@]}" "${VQT_TEST_PACKAGES[@]}")
    local missing=()
    local pkg
    for pkg in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q && apt-get install -y -q --no-install-recommends "${missing[@]}"
    else
        echo "Missing packages. Run:"
        echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}"
        return 1
    fi
}

vqt_jobs() {
    nproc 2>/dev/null || echo 2
}

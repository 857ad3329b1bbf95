# Sourced by tools/run and tools/test: makes sure the Debian packages the build needs exist.
# As root it installs what is missing; otherwise it prints the one apt-get line to run.

VQT_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
              libbenchmark-dev libsdl2-dev libpng-dev zlib1g-dev xvfb xauth x11-apps)

vqt_ensure_packages() {
    local missing=()
    local pkg
    for pkg in "${VQT_PACKAGES[@]}"; do
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
        echo "  sudo apt-get install -y ${missing[*]}"
        return 1
    fi
}

vqt_jobs() {
    nproc 2>/dev/null || echo 2
}

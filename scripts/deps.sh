# Debian packages the build and the tests need; sourced by the two commands.
NORVALE_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    libssl-dev openssl libcurl4-openssl-dev libxml2-dev libicu-dev
    libnss3-dev libnss3-tools libglib2.0-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libcpp-httplib-dev nlohmann-json3-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    xdg-utils
    lintian appstream
)

# Installs whatever is missing of NORVALE_PACKAGES and of the packages named as arguments,
# refreshing the package lists first.
install_missing_packages() {
    local missing=()
    for pkg in "${NORVALE_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

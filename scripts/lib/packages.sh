# Runs a command as root: through sudo unless this already is root.
qb_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages named in $@ that are not installed yet, through sudo when not root.
qb_ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    qb_as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    qb_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building the application needs.
QB_BUILD_PACKAGES=(cmake g++ make pkg-config qt6-base-dev libgl-dev libxcb1-dev libxcb-res0-dev fonts-liberation2 fonts-dejavu-core
    adwaita-icon-theme hicolor-icon-theme)
# What making the Debian package needs on top: dpkg-shlibdeps (dpkg-dev) and file, which CPack uses to
# find the binaries whose libraries become dependencies.
QB_PACKAGE_PACKAGES=(dpkg-dev file)

# What the tests need on top: GoogleTest, namespaces and veth (iproute2), ss for the benchmark,
# an X server, window manager, tray host and screenshots for the end-to-end tests, the desktop entry
# validator for the shortcut tests, what the package tests build the package with, and the locale sources
# for the comma-decimal formatting test.
QB_TEST_PACKAGES=(libgtest-dev libgmock-dev iproute2 procps xvfb xauth x11-utils openbox trayer xdotool imagemagick
    desktop-file-utils "${QB_PACKAGE_PACKAGES[@]}" locales)

# Generates the locale named in $1 (as "de_DE.UTF-8") when the machine has none of that name, through
# sudo when not root.
qb_ensure_locale() {
    local name=$1
    locale -a 2>/dev/null | grep -qix "${name/UTF-8/utf8}" && return 0
    echo "Generating the locale $name"
    qb_as_root localedef -i "${name%%.*}" -f "${name#*.}" "$name"
}

qb_build() {
    local build_dir=$1
    shift
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$build_dir" -j "$(nproc)"
}

# Installs the Debian packages the project needs when any is missing; quiet
# when everything is there. Sourced by run.sh and test.sh.

UORDANE_BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql
    libgl-dev libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev fonts-liberation libldap-dev
    libminizip-dev libfreexl-dev libxlsxwriter-dev)
# What the desktop program looks and speaks with: Qt's Spanish texts, the icon theme.
UORDANE_BUILD_PACKAGES+=(qt6-translations-l10n adwaita-icon-theme)
UORDANE_TEST_PACKAGES=(clang libclang-rt-14-dev postgresql sqlite3 slapd ldap-utils)
UORDANE_LOOK_PACKAGES=(xvfb xauth poppler-utils)

ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Instalando paquetes: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    # The tests run slapd with a configuration of their own; the package
    # is told not to set up (and start) a directory of the system's.
    if [[ " ${missing[*]} " == *" slapd "* ]]; then
        echo "slapd slapd/no_configuration boolean true" | $sudo debconf-set-selections
    fi
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures build/ once and builds incrementally.
build_project() {
    local build_dir=${1:-build}
    shift || true
    if [ ! -f "$build_dir/build.ninja" ]; then
        cmake -S . -B "$build_dir" -G Ninja -DUORDANE_WERROR=ON "$@" >/dev/null
    fi
    cmake --build "$build_dir"
}

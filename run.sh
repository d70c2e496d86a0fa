#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo company when there is
# none, and opens the program on it as a supervisor (every right).
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
source tools/deps.sh
ensure_packages "${UORDANE_BUILD_PACKAGES[@]}"
build_project build

demo="$root/demo"
mkdir -p "$demo"
if [ ! -f "$demo/KQ_DATA.MDB" ]; then
    build/app/uordane-admin init --demo "$demo"
fi
# The executable's INI names the data folder; the company INI sits in the
# folder the program runs from.
printf '[KQFiles]\r\nDataPath=%s/\r\nGraphPath=%s/pictures/\r\n' "$demo" "$root" > build/app/uordane.ini
printf '[KqFiles]\r\nDataPath=%s/\r\n' "$demo" > "$demo/uordane.ini"
# The call parameters, as the payroll program passes them: user, password,
# rights, server settings, installation kind, company, run identifier.
if [ ! -f "$demo/parametros.txt" ]; then
    printf '"ADMIN"\r\n""\r\n"SSSSSSMMSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSS"\r\n""\r\n""\r\n""\r\n""\r\n"N"\r\n"CDP"\r\n"1"\r\n' \
        > "$demo/parametros.txt"
fi
cd "$demo"
exec "$root/build/app/uordane" "$demo/parametros.txt"

#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
# Exits non-zero when anything fails. Extra arguments go to ctest
# (e.g. ./test.sh -R Categor).
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
ensure_packages "${UORDANE_BUILD_PACKAGES[@]}" "${UORDANE_TEST_PACKAGES[@]}"
build_project build

# A throwaway PostgreSQL server on loopback, so that the database tests run
# on both backends. It is removed at the end, also when tests fail.
pg_folder=$(mktemp -d /tmp/uordane-pg-XXXXXX)
pg_port=$(( 20000 + RANDOM % 20000 ))
ldap_folder=$(mktemp -d /tmp/uordane-ldap-XXXXXX)
ldap_port=$(( pg_port + 1 ))
trap 'tools/pg_cluster.sh stop "$pg_folder"; tools/ldap_server.sh stop "$ldap_folder"' EXIT
if ! tools/pg_cluster.sh start "$pg_folder" "$pg_port"; then
    echo "No se pudo iniciar el servidor PostgreSQL de prueba" >&2
    exit 1
fi
export UORDANE_TEST_PG_HOST=127.0.0.1 UORDANE_TEST_PG_PORT=$pg_port UORDANE_TEST_PG_USER=postgres

# A throwaway OpenLDAP directory on loopback for the directory-group tests;
# without it they skip and say why. A port another program holds is retried.
unset UORDANE_TEST_LDAP_URI LDAPTLS_CACERT
for _ in 1 2 3; do
    if tools/ldap_server.sh start "$ldap_folder" "$ldap_port"; then
        export UORDANE_TEST_LDAP_URI=ldap://127.0.0.1:$ldap_port
        # Its certificate, when it has one, is the one the tests' StartTLS trusts.
        if [ -f "$ldap_folder/cert.pem" ]; then
            export LDAPTLS_CACERT=$ldap_folder/cert.pem
        fi
        break
    fi
    ldap_port=$(( 20000 + RANDOM % 20000 ))
done
if [ -z "${UORDANE_TEST_LDAP_URI:-}" ]; then
    echo "No se pudo iniciar el servidor LDAP de prueba: se omiten las pruebas del directorio" >&2
fi
# The suite runs with a temporary folder of its own and must leave it empty:
# every work database the programs and the tests make is deleted when they end.
test_temp=$(mktemp -d /tmp/uordane-temp-XXXXXX)
trap 'tools/pg_cluster.sh stop "$pg_folder"; tools/ldap_server.sh stop "$ldap_folder"; rm -rf "$test_temp"' EXIT
status=0
TEMP=$test_temp TMP=$test_temp ctest --test-dir build --output-on-failure -j2 "$@" || status=$?
left=$(find "$test_temp" -mindepth 1 -maxdepth 1 -printf '%f ' | head -c 2000)
if [ -n "$left" ]; then
    echo "Las pruebas dejaron archivos en TEMP: $left" >&2
    status=1
fi
exit $status

#!/usr/bin/env bash
# A throwaway OpenLDAP server on loopback for the test run, with its own
# configuration and database in FOLDER (the system's slapd is not touched).
#   tools/ldap_server.sh start FOLDER PORT   configure, load the test directory, start
#   tools/ldap_server.sh stop FOLDER         stop and remove
# The directory is tests/fixtures/directory.ldif under the suffix
# dc=uordane,dc=test; "cn=admin,dc=uordane,dc=test" with the password
# "secreto" may write, anyone may read. A search that does not ask page by
# page gets at most 3 entries. When openssl is there the server also speaks
# StartTLS with a self-signed certificate for 127.0.0.1, FOLDER/cert.pem,
# which a client trusts through LDAPTLS_CACERT.
set -euo pipefail

slapd=$(command -v slapd || echo /usr/sbin/slapd)
slapadd=$(command -v slapadd || echo /usr/sbin/slapadd)
here=$(cd "$(dirname "$0")/.." && pwd)

case "${1:-}" in
start)
    folder=$2 port=$3
    [ -x "$slapd" ] || { echo "slapd no está instalado" >&2; exit 1; }
    rm -rf "$folder"
    mkdir -p "$folder/data"
    tls=""
    if command -v openssl >/dev/null \
        && openssl req -x509 -newkey rsa:2048 -nodes -days 7 -subj "/CN=127.0.0.1" \
               -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
               -keyout "$folder/key.pem" -out "$folder/cert.pem" >"$folder/openssl.log" 2>&1; then
        tls="TLSCertificateFile $folder/cert.pem
TLSCertificateKeyFile $folder/key.pem"
    fi
    cat >"$folder/slapd.conf" <<CONF
include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
include /etc/ldap/schema/nis.schema
include /etc/ldap/schema/inetorgperson.schema
modulepath /usr/lib/ldap
moduleload back_mdb
pidfile $folder/slapd.pid
argsfile $folder/slapd.args
loglevel none
$tls

database mdb
suffix "dc=uordane,dc=test"
rootdn "cn=admin,dc=uordane,dc=test"
rootpw secreto
directory $folder/data
maxsize 16777216
access to * by * read
# Like Active Directory, the server hands out only a few entries per plain
# search; a paged search gets them all.
limits anonymous size.soft=3 size.hard=3 size.prtotal=unlimited
limits users size.soft=3 size.hard=3 size.prtotal=unlimited
CONF
    "$slapadd" -q -f "$folder/slapd.conf" -l "$here/tests/fixtures/directory.ldif" >"$folder/slapadd.log" 2>&1 \
        || { cat "$folder/slapadd.log" >&2; exit 1; }
    # slapd forks into the background once it listens; the pid file says
    # which process to stop.
    "$slapd" -f "$folder/slapd.conf" -h "ldap://127.0.0.1:$port/" >"$folder/slapd.log" 2>&1 \
        || { cat "$folder/slapd.log" >&2; echo "slapd no pudo iniciarse en el puerto $port" >&2; exit 1; }
    for _ in $(seq 50); do
        [ -s "$folder/slapd.pid" ] && exit 0
        sleep 0.1
    done
    echo "slapd no dejó su archivo de proceso en $folder" >&2
    exit 1
    ;;
stop)
    folder=$2
    if [ -s "$folder/slapd.pid" ]; then
        pid=$(cat "$folder/slapd.pid")
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    rm -rf "$folder"
    ;;
*)
    echo "uso: tools/ldap_server.sh start CARPETA PUERTO | stop CARPETA" >&2
    exit 2
    ;;
esac

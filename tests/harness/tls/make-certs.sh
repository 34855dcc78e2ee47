#!/usr/bin/env bash
# Makes the test certificates once per output folder (cached, safe to run in
# parallel) and prints the folder. Everything is for loopback tests only.
#
#   make-certs.sh [OUT_DIR]      default: $ZEL_BUILD_DIR/test-tls
#
# OUT_DIR then holds (PEM unless noted):
#   ca.pem ca.der ca.key        the test CA ("ZEL Test CA"); ca.der is what
#                               add_root_ca.exe / zeltest::TrustTestCa() install
#   localhost.pem .key          server certificate for DNS:localhost signed by the CA
#   expired.pem .key            the same names, signed by the CA, expired in 2020
#   wrongname.pem .key          signed by the CA for DNS:wrong-name.zel.test only
#   selfsigned.pem .key         DNS:localhost, self-signed (no trusted issuer)
# Clients must address the servers as "localhost": the certificates name no IP.
set -euo pipefail

out="${1:-${ZEL_BUILD_DIR:?give OUT_DIR or set ZEL_BUILD_DIR}/test-tls}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
exec 9>"$out/.lock"
flock 9
if [ -f "$out/.ready" ]; then echo "$out"; exit 0; fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
ossl() { openssl "$@" 2>/dev/null; }

ossl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 3650 -sha256 \
  -subj "/CN=ZEL Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
ossl x509 -in ca.pem -outform DER -out ca.der

server_ext() {  # $1: DNS name
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\nsubjectAltName=DNS:%s\n' "$1"
}

# Signed by the CA with validity from now on.
issue() {  # name dns
  server_ext "$2" >"$1.ext"
  ossl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$2"
  ossl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 -sha256 \
    -extfile "$1.ext" -out "$1.pem"
}
issue localhost localhost
issue wrongname wrong-name.zel.test

# Expired: only `openssl ca` takes explicit dates.
server_ext localhost >expired.ext
ossl req -newkey rsa:2048 -nodes -keyout expired.key -out expired.csr -subj "/CN=localhost"
mkdir -p ca-db/new; : >ca-db/index.txt; echo 1000 >ca-db/serial
cat >ca.cnf <<CNF
[ca]
default_ca = test
[test]
database = ca-db/index.txt
new_certs_dir = ca-db/new
serial = ca-db/serial
default_md = sha256
policy = any
unique_subject = no
copy_extensions = none
[any]
commonName = supplied
CNF
ossl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in expired.csr -out expired.pem \
  -startdate 20200101000000Z -enddate 20200201000000Z -extfile expired.ext -notext

ossl req -x509 -newkey rsa:2048 -nodes -keyout selfsigned.key -out selfsigned.pem -days 3650 -sha256 \
  -subj "/CN=localhost" -addext "subjectAltName=DNS:localhost" -addext "extendedKeyUsage=serverAuth"

cp ca.pem ca.der ca.key localhost.pem localhost.key expired.pem expired.key \
   wrongname.pem wrongname.key selfsigned.pem selfsigned.key "$out/"
touch "$out/.ready"
echo "$out"

#!/usr/bin/env bash
# Creates the throwaway test PKI in <out-dir>: a test root that the tests install into the
# prefix's ROOT store, code-signing certificates under it, and a root that is never installed.
# Idempotent: an existing, complete folder is left alone.
set -euo pipefail
out=$1
[ -f "$out/complete" ] && exit 0
mkdir -p "$out"
cd "$out"

ca() {  # ca <name> <subject>
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 3650 \
    -subj "$2" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
  openssl x509 -in "$1.pem" -outform DER -out "$1.cer"
}

leaf() {  # leaf <name> <common name> <issuing ca>
  openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" \
    -subj "/C=CN/O=$2/CN=$2" 2>/dev/null
  printf '%s\n' "basicConstraints=critical,CA:FALSE" "keyUsage=critical,digitalSignature" \
    "extendedKeyUsage=codeSigning" >"$1.ext"
  openssl x509 -req -in "$1.csr" -CA "$3.pem" -CAkey "$3.key" -CAcreateserial -days 3650 \
    -sha256 -extfile "$1.ext" -out "$1.pem" 2>/dev/null
  cat "$1.pem" "$3.pem" >"$1.chain.pem"
}

ca test_root "/CN=Tern Test Root CA"
ca untrusted_root "/CN=Tern Untrusted Root CA"
leaf corvane "Corvane Technology Company Limited" test_root
leaf corvane_case "CORVANE technology company LIMITED" test_root
leaf corvane_longer "Corvane Technology Company Limited Holdings" test_root
leaf other "Heron Software Limited" test_root
leaf untrusted "Corvane Technology Company Limited" untrusted_root
touch complete

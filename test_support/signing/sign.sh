#!/usr/bin/env bash
# sign.sh <pki-dir> <signer> <in.exe> <out.exe> [tamper]
# Signs a copy of <in.exe> with the signer's certificate chain; "tamper" then changes one byte
# of the signed image so that the signature no longer matches.
set -euo pipefail
pki=$1 signer=$2 in=$3 out=$4 mode=${5:-}
if [ "$signer" = none ]; then
  cp "$in" "$out"
  exit 0
fi
rm -f "$out.tmp"
osslsigncode sign -certs "$pki/$signer.chain.pem" -key "$pki/$signer.key" -h sha256 \
  -n "Tern test program" -in "$in" -out "$out.tmp" >/dev/null
if [ "$mode" = tamper ]; then
  # One byte inside the first section's raw data, which the signature's digest covers.
  python3 - "$out.tmp" <<'PY'
import struct, sys
p = sys.argv[1]
data = bytearray(open(p, 'rb').read())
pe = struct.unpack_from('<I', data, 0x3C)[0]
opt_size = struct.unpack_from('<H', data, pe + 20)[0]
first_section = pe + 24 + opt_size
raw = struct.unpack_from('<I', data, first_section + 20)[0]
data[raw + 0x10] ^= 0xFF
open(p, 'wb').write(data)
PY
fi
mv "$out.tmp" "$out"

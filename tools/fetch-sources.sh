#!/usr/bin/env bash
# Unpacks Debian's source packages of the dependencies that need a Windows build.
set -euo pipefail
dest=${1:-"$(cd "$(dirname "$0")/.." && pwd)/build/_sources"}
mkdir -p "$dest"
cd "$dest"
have() { compgen -G "$1" >/dev/null; }
if have 'tinyxml2-*/tinyxml2.cpp' && have 'libjsoncpp-*/src/lib_json/json_reader.cpp'; then
  exit 0
fi
rm -rf ./*
apt-get source -qq --download-only tinyxml2 libjsoncpp >/dev/null
for dsc in *.dsc; do
  dpkg-source --no-check -x "$dsc" >/dev/null
done
have 'tinyxml2-*/tinyxml2.cpp' && have 'libjsoncpp-*/src/lib_json/json_reader.cpp'

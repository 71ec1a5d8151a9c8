#!/usr/bin/env bash
# Installs every system package the build and the tests need. Idempotent; quick when all is there.
set -euo pipefail

packages=(
  cmake ninja-build make clang-format clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine32:i386 wine64 libwine-dev xvfb xauth x11-utils
  googletest libtinyxml2-dev libjsoncpp-dev
  osslsigncode openssl iproute2 util-linux dpkg-dev python3 fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# Source entries are derived from the machine's own binary entries, so no mirror is named here.
srcfile=/etc/apt/sources.list.d/tern-suite-src.sources
srclist=/etc/apt/sources.list.d/tern-suite-src.list
need_src=0
[ -f "$srcfile" ] || [ -f "$srclist" ] || need_src=1

if [ ${#missing[@]} -eq 0 ] && [ $need_src -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${missing[*]}); run as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if [ $need_src -eq 1 ]; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -n '/^Types:/,/^$/p' /etc/apt/sources.list.d/debian.sources |
      sed 's/^Types:.*/Types: deb-src/' >"$srcfile"
  else
    grep -hE '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$srclist"
  fi
fi
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null

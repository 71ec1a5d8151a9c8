#!/usr/bin/env bash
# Registers Docwick.exe as an Open-With application, shows the keys, unregisters it and shows
# them again; then asks a stand-in Pelican client and the stand-in enumeration service about an
# account hand-over. Usage: open_with_demo.sh [build dir] [wine prefix]
# (defaults: build/win64 when this host cannot start 32-bit programs, else build/win32).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
cd "$root"
. tools/wine-session.sh
if wine_can_run_32bit; then default_build=build/win32; else default_build=build/win64; fi
build=$(cd "${1:-$default_build}" && pwd)
wine_session_start "${2:-$root/build/wineprefix}"
bin="$build/bin"
wine=$TERN_WINE

# Wine maps the Linux root to drive Z:.
winpath() {
  local p=$1
  echo "Z:${p//\//\\}"
}

docwick() {
  local code=0
  "$wine" "$bin/Docwick.exe" "$@" || code=$?
  echo "   Docwick.exe $* -> exit code $code (the shell sees it modulo 256)"
}

show_keys() {
  "$wine" reg query 'HKCR\Applications\Docwick.exe' /s 2>/dev/null | tr -d '\r' ||
    echo "   HKCR\\Applications\\Docwick.exe: not present"
  for ext in .doc .docx .xls .xlsx; do
    "$wine" reg query "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\$ext\\OpenWithList" 2>/dev/null |
      tr -d '\r' | grep -v '^$' || true
  done
}

echo "== Register"
docwick --command=Register --params=
show_keys
echo "== Unregister (the Open-With lists stay)"
docwick --command=Unregister --params=
show_keys

echo "== YiTiaoLong to a Pelican client of account 123456 (unlocked: auto-logon true)"
record=$(mktemp -d)
"$wine" "$bin/TernClientStub.exe" --class=pelican --uin=123456 --locked=0 \
  "--record=$(winpath "$record/calls.jsonl")" &
stub=$!
sleep 2
params=$(printf '{"Uin":123456,"OpenUrl":"https://example.test/doc"}' | base64 -w0)
docwick --command=YiTiaoLong "--params=$params"
echo "   the client received:"
sed 's/^/     /' "$record/calls.jsonl" 2>/dev/null || true
docwick --command=YiTiaoLong --params=$(printf '{"Uin":7}' | base64 -w0)
kill "$stub" 2>/dev/null || true

echo "== IfWeCanDoYiTiaoLong with the stand-in enumeration service"
printf 'dispatch UUin=ui4:123456 Version=ui4:5557\ndispatch UUin=ui4:222 Version=ui4:5552\n' \
  >"$record/entries.txt"
"$wine" "$bin/ClientEnumServer.exe" /RegServer "--entries=$(winpath "$record/entries.txt")"
docwick --command=IfWeCanDoYiTiaoLong --params=123456
docwick --command=IfWeCanDoYiTiaoLong --params=222
docwick --command=IfWeCanDoYiTiaoLong --params=abc
sleep 1
"$wine" "$bin/ClientEnumServer.exe" /UnregServer
rm -rf "$record"

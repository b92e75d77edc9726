#!/usr/bin/env bash
# Peak resident memory of `kessrune-cli --json` on a 300 MiB style sheet,
# as a ratio to the page fetch's 256 MiB body cap (bar: 3).
#   bench/peak_memory.sh [KESSRUNE_CLI]   default: build/default/cli/kessrune-cli
# Serves a Taobao system-template page and two sheets on 127.0.0.1: one in
# GBK, one that says utf-8 near its start (so the fetch converts it). Reads
# the peak from /usr/bin/time -f %M. Exits 1 when a ratio is over the bar.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$(realpath "${1:-build/default/cli/kessrune-cli}")
[ -x "$cli" ] || { echo "peak_memory.sh: no kessrune-cli at $cli; build it first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "peak_memory.sh: needs /usr/bin/time (package time)" >&2; exit 2; }
python=$(command -v /usr/bin/python3 || command -v python3)

dir=$(mktemp -d)
server=
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

cap_kib=$((256 * 1024))
rules() { (set +o pipefail; yes '#page #content .nav a{color:#333;margin:0 4px}' | head -c 300M); }
{ printf '/* plain */\n'; rules; } >"$dir/plain.css"
{ printf '/* utf-8 */\n'; rules; } >"$dir/utf8.css"

port_file="$dir/port"
"$python" - "$dir" "$port_file" 2>/dev/null <<'PY' &
import http.server, sys
class Quiet(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    def __init__(self, *a, **k): super().__init__(*a, directory=sys.argv[1], **k)
    def log_message(self, *a): pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Quiet)
open(sys.argv[2], "w").write(str(server.server_address[1]))
server.serve_forever()
PY
server=$!
for _ in $(seq 100); do [ -s "$port_file" ] && break; sleep 0.05; done
port=$(cat "$port_file")
mkdir -p "$dir/plain.taobao.com" "$dir/utf8.taobao.com"
for kind in plain utf8; do
  printf '<div class="shop-name"><a>x</a><i></i>进入店铺</div> system module 模块自定义（设计师）css输出 <link href="http://127.0.0.1:%s/%s.css"> GLOBAL' "$port" "$kind" |
    iconv -f UTF-8 -t GBK >"$dir/$kind.taobao.com/index.html"
done

worst=0
for kind in plain utf8; do
  out="$dir/$kind.json"
  peak=$(/usr/bin/time -f %M "$cli" --json "http://127.0.0.1:$port/$kind.taobao.com/" 2>&1 >"$out" | tail -1)
  size=$(stat -c %s "$out")
  [ "$size" -gt $((150 << 20)) ] || { echo "peak_memory.sh: the $kind run printed only $size bytes" >&2; exit 2; }
  ratio=$(awk -v p="$peak" -v c="$cap_kib" 'BEGIN { printf "%.2f", p / c }')
  printf '%-5s sheet: peak %d MiB, %s x the 256 MiB cap (bar 3)\n' "$kind" $((peak / 1024)) "$ratio"
  awk -v r="$ratio" 'BEGIN { exit !(r > 3) }' && worst=1
done
exit "$worst"

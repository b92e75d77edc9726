#!/usr/bin/env bash
# Installs the Debian packages that a build needs and this machine lacks.
#   scripts/install-deps.sh test   everything ./test.sh builds and runs
#   scripts/install-deps.sh run    what ./run.sh needs to build and show the window
set -euo pipefail

common=(g++ cmake ninja-build pkg-config ca-certificates
        qt6-base-dev qt6-qpa-plugins libcurl4-openssl-dev libssl-dev fonts-noto-cjk)
case "${1:-test}" in
  test) wanted=("${common[@]}" libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
               openssl curl clang clang-format libclang-rt-14-dev desktop-file-utils appstream dpkg-dev file
               xvfb xauth) ;;
  run)  wanted=("${common[@]}" libcpp-httplib-dev xdg-utils) ;;
  *)    echo "usage: $0 [test|run]" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}; run as root, or install them with apt-get." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

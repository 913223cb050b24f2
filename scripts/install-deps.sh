#!/usr/bin/env bash
# Installs every build and test dependency from Debian packages.
# Idempotent: only packages that are missing are installed. Run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  clang llvm libclang-rt-14-dev       # fuzzers and sanitizers
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  rapidjson-dev libyaml-dev libmsgpack-cxx-dev
  g++-multilib libyaml-dev:i386       # the 32-bit build
  libcpp-httplib-dev libcli11-dev     # development host
  curl wrk nginx-light                # host tests and load benchmark
  chromium                            # browser test of the host's page
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  updated=0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if [ "${updated:-1}" = 0 ] || [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*_Packages' -newermt '-1 day' 2>/dev/null | head -n1)" ] \
   || [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*i386_Packages' 2>/dev/null | head -n1)" ]; then
  apt-get update -qq
fi
apt-get install -y -qq --no-install-recommends "${missing[@]}"

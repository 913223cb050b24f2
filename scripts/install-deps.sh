#!/usr/bin/env bash
# Installs from Debian packages what a purpose needs, and only what is missing.
#   install-deps.sh run   building the plug-in and running the development host
#   install-deps.sh test  all of that, plus the tests, sanitizers, 32-bit build,
#                         fuzzers, benchmarks, the browser test and the OpenAPI
#                         test's validators (the default)
# Idempotent. Run as root.
set -euo pipefail

purpose=${1:-test}
run_packages=(
  build-essential cmake ninja-build pkg-config
  rapidjson-dev libyaml-dev           # the plug-in's JSON and YAML
  libcpp-httplib-dev libcli11-dev     # development host
)
test_packages=(
  git
  clang llvm libclang-rt-14-dev       # fuzzers and sanitizers
  clang-format                        # the style in .clang-format
  googletest libgtest-dev libbenchmark-dev
  libmsgpack-cxx-dev                  # reference decoder of the benchmarks
  g++-multilib libyaml-dev:i386       # the 32-bit build
  qemu-user                           # its suites, where the kernel runs no 32-bit programs
  curl wrk nginx-light                # host tests and load benchmark
  chromium                            # browser test of the host's page
)
case "${purpose}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "install-deps: unknown purpose '${purpose}' (run or test)" >&2; exit 2 ;;
esac

needs_i386=0
for p in "${packages[@]}"; do [[ $p == *:i386 ]] && needs_i386=1; done
if [ "${needs_i386}" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  updated=0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# The npm validators the OpenAPI test runs, at the versions of the lock
# file, beside their script; later runs need no network. A machine's own
# Node.js (which may bring its npm) is kept.
install_validators() {
  local dir
  dir="$(cd "$(dirname "$0")/.." && pwd)/tests/host/openapi"
  if [ "${purpose}" = test ] && [ ! -d "${dir}/node_modules" ]; then
    command -v npm >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends nodejs npm
    echo "install-deps: installing the OpenAPI validators in ${dir}"
    npm ci --prefix "${dir}" --no-audit --no-fund --silent
  fi
}

if [ ${#missing[@]} -eq 0 ]; then
  install_validators
  echo "install-deps: everything for '${purpose}' is installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if [ "${updated:-1}" = 0 ] || [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*_Packages' -newermt '-1 day' 2>/dev/null | head -n1)" ] \
   || { [ "${needs_i386}" = 1 ] && [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*i386_Packages' 2>/dev/null | head -n1)" ]; }; then
  # A mirror caught mid-sync fails one index while the rest arrive; the
  # install below still fails, and says which package, if one is missing.
  apt-get update -qq || echo "install-deps: some package indexes did not download; installing from the rest" >&2
fi
apt-get install -y -qq --no-install-recommends "${missing[@]}"
install_validators

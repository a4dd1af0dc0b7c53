#!/usr/bin/env bash
# Builds the two Debian packages (zarvento-cli, zarvento-configurator) in build-release on
# every core and checks them with lintian, which must print nothing.
#   bash scripts/package.sh [CMAKE-OPTION...]   e.g. -DZC_MAINTAINER="Name <you@example.org>"
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh lintian
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
fi
# Debian's hardening flags: fortified libc calls, stack protector, read-only relocations.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DZC_BUILD_TESTS=OFF -DZC_BUILD_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "${launcher[@]}" "$@" >/dev/null
cmake --build build-release -j"$(nproc)"
rm -f build-release/*.deb
(cd build-release && cpack -G DEB >/dev/null)
debs=(build-release/zarvento-cli_*.deb build-release/zarvento-configurator_*.deb)
# lintian warns on stderr when run as root; that is no finding about the packages.
status=0
findings=$(lintian "${debs[@]}" 2> >(grep -v 'running with root privileges' >&2)) || status=$?
if [ -n "$findings" ] || [ "$status" -ne 0 ]; then
  echo "$findings" >&2
  echo "lintian found the problems above in ${debs[*]}" >&2
  exit 1
fi
printf '%s\n' "${debs[@]}"

#!/usr/bin/env bash
# Makes the Debian package ledgxfer_<version>_<arch>.deb in build-package/: a Release
# build of the two programs (no tests) for the prefix /usr, the manual pages, and
# cpack. Install it with `sudo apt-get install ./build-package/ledgxfer_*.deb` (or
# dpkg -i), remove it with `sudo dpkg -r ledgxfer`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-package "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DLEDGXFER_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build-package --parallel "$(nproc)"
(cd build-package && cpack -G DEB)
ls -1 build-package/*.deb

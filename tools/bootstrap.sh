#!/usr/bin/env bash
# Installs what this project needs on a Debian 12 machine and is quick when all is there:
# the MinGW-w64 cross compilers, Wine (64-bit, plus the 32-bit loader), Xvfb, the archive tools
# that make test fixtures, GoogleTest's sources, clang with its sanitizer and libFuzzer runtime
# (tools/fuzz.sh), and a deb-src entry for the dependency builds.
# With --i386-emulation: also qemu-user-static, which runs Wine's 32-bit loader where the
# kernel cannot execute 32-bit code (tools/test.sh registers it for the PE32 layer).
set -euo pipefail
packages=(
  cmake ninja-build g++ dpkg-dev patch python3 libssl-dev zlib1g-dev libjpeg-dev googletest
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
  wine wine64 wine32:i386 fonts-wine fonts-liberation fonts-dejavu-core
  xvfb x11-utils imagemagick zip unzip p7zip-full
  clang libclang-rt-dev
)
[ "${1:-}" = --i386-emulation ] && packages+=(qemu-user-static)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  need_update=1
fi
src_list=/etc/apt/sources.list.d/setup-deb-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  $sudo tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  echo "bootstrap: installing ${missing[*]:-(package lists only)}"
  $sudo apt-get update -q >/dev/null
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
echo "bootstrap: system packages ready"

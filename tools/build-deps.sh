#!/usr/bin/env bash
# Builds the static third-party libraries from Debian's source packages into cached prefixes:
#   build/deps/<target>/  with target one of native, i686-w64-mingw32, x86_64-w64-mingw32, fuzz.
# libzip for every target (with our patches from tools/patches/libzip), libjpeg-turbo for the
# Windows targets. "fuzz" is libzip and zlib built natively with clang, instrumented for libFuzzer
# with ASan and UBSan (the fuzz preset); OpenSSL stays Debian's. A prefix is rebuilt only when its
# package versions, the patches or this script change.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deps="${DEPS_ROOT:-$root/build/deps}"
src="$deps/src"
mkdir -p "$src"

fetch_sources() {
  # apt-get source needs a deb-src entry; tools/bootstrap.sh adds it.
  local pkg missing=0
  for pkg in libzip libjpeg-turbo zlib; do ls "$src"/${pkg}_*.dsc >/dev/null 2>&1 || missing=1; done
  if [ $missing -eq 1 ]; then
    (cd "$src" && apt-get source --download-only libzip libjpeg-turbo zlib >/dev/null 2>&1) || {
      echo "apt-get source failed: is there a deb-src entry (tools/bootstrap.sh)?" >&2; exit 1; }
  fi
}

unpack() { # unpack <package> -> prints the source folder
  local pkg="$1" dsc dir
  dsc="$(ls "$src"/${pkg}_*.dsc | sort -V | tail -n1)"
  dir="$src/$(basename "$dsc" .dsc)"
  if [ ! -d "$dir" ]; then
    dpkg-source --no-check -x "$dsc" "$dir" >/dev/null
  fi
  echo "$dir"
}

stamp_of() { # stamp_of <package...>: the cache key, from the target's source packages, our patches
  local pkg
  { for pkg in "$@"; do ls "$src"/${pkg}_*.dsc | xargs -n1 basename; done
    cat "$root"/tools/patches/libzip/*.patch 2>/dev/null; cat "$0"; } | sha256sum | cut -c1-16
}

build_target() {
  local target="$1"
  local prefix="$deps/$target" stamp toolchain=() jobs packages=(libzip) flags=""
  case "$target" in
    fuzz) packages+=(zlib) ;;
    native) ;;
    *) packages+=(libjpeg-turbo) ;;
  esac
  stamp="$(stamp_of "${packages[@]}")"
  if [ -f "$prefix/.stamp" ] && [ "$(cat "$prefix/.stamp")" = "$stamp" ]; then
    echo "deps $target: cached"; return
  fi
  jobs="$(nproc)"
  rm -rf "$prefix" "$deps/work-$target"; mkdir -p "$prefix" "$deps/work-$target"
  case "$target" in
    native) ;;
    fuzz)
      # Same sanitizer flags as the fuzz preset, so findings inside libzip are reported too.
      flags="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer -g"
      toolchain=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags") ;;
    *) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-${target%%-*}.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR=) ;;
  esac
  local windows=0
  [[ "$target" == *-w64-mingw32 ]] && windows=1

  local zlib=()
  if [ "$target" = fuzz ]; then
    # zlib instrumented too, so that inflate's reads and writes are checked; static only.
    local zsrc; zsrc="$(unpack zlib)"
    cp -a "$zsrc" "$deps/work-$target/zlib"
    (cd "$deps/work-$target/zlib" && CC=clang CFLAGS="$flags -O2" ./configure --static --prefix="$prefix" &&
      make -j "$jobs" libz.a && make install) >"$deps/work-$target/zlib.log" 2>&1
    zlib=(-DZLIB_ROOT="$prefix")
  fi

  local zipsrc; zipsrc="$(unpack libzip)"
  local zipwork="$deps/work-$target/libzip-src"
  cp -a "$zipsrc" "$zipwork"
  for p in "$root"/tools/patches/libzip/*.patch; do
    [ -f "$p" ] && patch -d "$zipwork" -p1 -s <"$p"
  done
  local crypto=(-DENABLE_OPENSSL=ON)
  [ $windows -eq 1 ] && crypto=(-DENABLE_WINDOWS_CRYPTO=ON)
  cmake -S "$zipwork" -B "$deps/work-$target/libzip" -G Ninja "${toolchain[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
    -DBUILD_SHARED_LIBS=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF "${crypto[@]}" "${zlib[@]}" \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
    >"$deps/work-$target/libzip.log" 2>&1
  cmake --build "$deps/work-$target/libzip" -j "$jobs" >>"$deps/work-$target/libzip.log" 2>&1
  cmake --install "$deps/work-$target/libzip" >>"$deps/work-$target/libzip.log" 2>&1

  if [ $windows -eq 1 ]; then
    local jpegsrc; jpegsrc="$(unpack libjpeg-turbo)"
    cmake -S "$jpegsrc" -B "$deps/work-$target/jpeg" -G Ninja "${toolchain[@]}" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
      >"$deps/work-$target/jpeg.log" 2>&1
    cmake --build "$deps/work-$target/jpeg" -j "$jobs" >>"$deps/work-$target/jpeg.log" 2>&1
    cmake --install "$deps/work-$target/jpeg" >>"$deps/work-$target/jpeg.log" 2>&1
  fi
  rm -rf "$deps/work-$target"
  echo "$stamp" >"$prefix/.stamp"
  echo "deps $target: built"
}

fetch_sources
for t in "${@:-native i686-w64-mingw32}"; do
  for one in $t; do build_target "$one"; done
done

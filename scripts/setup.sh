#!/usr/bin/env bash
# Installs what the builds and tests need (Debian 12, as root). Quiet when
# everything is there already.
set -eu
packages=(
  cmake make g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  libpng-dev zlib1g-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  libz-mingw-w64-dev
  wine wine64 wine32:i386 fonts-wine fonts-wqy-microhei xvfb xauth x11-apps imagemagick
  libpng-dev libjpeg-dev libjpeg-turbo-progs libjpeg-tools libgif-dev python3-pil zlib1g-dev
  nsis
)
# The i686 programs run under 32-bit Wine, which comes from the i386 archive.
foreign=0
dpkg --print-foreign-architectures | grep -qx i386 || foreign=1
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ $foreign -eq 0 ] && exit 0
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
[ $foreign -eq 0 ] || dpkg --add-architecture i386
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

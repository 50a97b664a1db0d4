#!/usr/bin/env bash
# Installs everything Veneer's builds, tests and demo need on Debian 12.
# Idempotent: when every package is present it only checks and returns.
#
#   scripts/setup.sh          what the builds and the test command need
#   scripts/setup.sh --bench  and the peer libraries the benchmark command compares with
#                             (OpenCV, Qt 5, cairo): for scripts/run-benchmarks.sh only
set -euo pipefail

bench=0
case "${1:-}" in
  "") ;;
  --bench) bench=1 ;;
  *) echo "setup: unknown argument $1" >&2; exit 2 ;;
esac

packages=(
  build-essential cmake make pkg-config ninja-build
  googletest libgtest-dev libbenchmark-dev
  libpixman-1-dev libfreetype-dev libfontconfig-dev libpng-dev
  fonts-liberation locales
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64 wine32:i386
  clang clang-format libclang-rt-14-dev
  qemu-user-static
)
# The benchmark's peers: large (Qt and OpenCV bring some 150 MB), and nothing but the bench
# uses them, so the test command never installs them.
if [ "$bench" = 1 ]; then
  packages+=(libopencv-dev qtbase5-dev libcairo2-dev)
fi

need_arch=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_arch=1
fi

missing=()
if [ "$need_arch" = 0 ]; then
  for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
fi

if [ "$need_arch" = 1 ] || [ "${#missing[@]}" != 0 ]; then
  install_packages=1
else
  install_packages=0
fi

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
if [ "$install_packages" = 1 ]; then
  if [ "$need_arch" = 1 ]; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi

# A Latin-1 locale, for the test that the URL encoding ignores the host's locale: there
# isalnum() accepts letters such as 0xE4.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.iso88591'; then
  $SUDO localedef -i de_DE -f ISO-8859-1 de_DE.ISO-8859-1
fi

# 32-bit Wine needs the kernel to run 32-bit x86 programs. Where that is switched off
# (ia32_emulation=off), they run through qemu's user-mode emulator instead: slower to start,
# the same Wine.
if ! /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1; then
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e $binfmt/register ] || $SUDO mount -t binfmt_misc binfmt_misc $binfmt
  if [ ! -e $binfmt/veneer-i386 ]; then
    printf '%s' ':veneer-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
      $SUDO tee $binfmt/register >/dev/null
  fi
  if ! /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "setup: this machine cannot run 32-bit x86 programs, so 32-bit Wine cannot run" >&2
    exit 1
  fi
fi

#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks. "build" (the first argument): only what building
# quorva on Linux needs, CMake and g++. Without it, also what the tests need on both platforms:
# the MinGW-w64 cross compiler and Wine, GoogleTest and Google Benchmark, Xvfb with xclip for the
# clipboard tests, vim for the editor recipe, clang with its runtime and Python for the sanitized
# run and the fuzz targets, patch and less for the diff tests and the README's recipes, the
# Debian packaging tools with lintian, and GNU time for the peak memory of the whole-process
# benchmark. Does nothing when everything is there.
set -euo pipefail
packages=(cmake g++)
if [ "${1:-}" != build ]; then
  packages+=(googletest libgtest-dev libbenchmark-dev g++-mingw-w64-x86-64 wine wine64 xvfb xclip vim
             clang libclang-rt-14-dev python3 patch less dpkg-dev zip unzip lintian time)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi
echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "install these packages as root first: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null

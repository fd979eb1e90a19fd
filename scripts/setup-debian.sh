#!/bin/sh
# Installs, from Debian 12's packages, everything needed to build, run and test the converter.
# Run as root (or through sudo). Safe to run again.
set -eu

build="cmake ninja-build g++ pkg-config libxml2-dev libgtest-dev googletest qt6-base-dev libxcb1-dev"
run="qt6-qpa-plugins qt6-translations-l10n fonts-liberation xchm"
help="fp-compiler fp-units-misc"
tests="libchm-dev python3 python3-dbfread python3-dbf locales gdal-bin libdbd-xbase-perl libxml2-utils xvfb xauth x11-utils imagemagick clang libclang-rt-14-dev"

if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$@"
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update
# shellcheck disable=SC2086
apt-get install -y --no-install-recommends $build $run $help $tests

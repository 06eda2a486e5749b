#!/usr/bin/env bash
# Builds a static Qt for 64-bit Windows (Core, Gui, Widgets, Network with the
# Windows TLS backend, Test and the Windows platform plugin) with MinGW-w64,
# from Debian's source of the Qt installed on this machine, whose tools (moc,
# rcc, uic) serve as host tools. Installs it into $INKWRIGHT_WIN_QT (default
# below) and leaves a marker there that holds the configuration; with the
# marker present and the configuration unchanged it does nothing, and a Qt
# built with another configuration is built again, once. Takes about half an
# hour on two idle cores (an hour and a half when they are shared with other
# builds).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
prefix=${INKWRIGHT_WIN_QT:-$HOME/.cache/inkwright/qt-6.4.2-mingw-static}
marker=$prefix/inkwright-windows-qt.done
# Left out: what the programs do not use, and what Debian's source cannot
# build (tablet events need wintab.h, which it does not ship). Direct2D stays:
# the DirectWrite font database of the Windows plugin needs it. Qt Network
# (inkwright-write) uses Windows' own TLS, Schannel, so no OpenSSL is needed.
features=(-release -static -static-runtime -xplatform win32-g++ -nomake examples -nomake tests
    -no-opengl -no-dbus -no-icu -no-feature-tabletevent -no-feature-vulkan
    -schannel -no-openssl -no-feature-sql -no-feature-xml -no-feature-printsupport
    -no-feature-concurrent
    -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz)
configuration="configure: ${features[*]}"
if [ -e "$marker" ] && grep -qxF -- "$configuration" "$marker"; then
    echo "Windows Qt is ready: $prefix"
    exit 0
fi
if [ -e "$marker" ]; then
    # Built by this script with other options: its files would mix with the new ones.
    echo "Windows Qt in $prefix has another configuration: building it again"
    rm -rf "$prefix"
fi

bash scripts/deps.sh g++-mingw-w64-x86-64-posix qt6-base-dev cmake ninja-build dpkg-dev perl xz-utils
if [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi

# apt-get source needs source entries for the archive the packages come from.
if ! grep -rqsE --include='*.list' --include='*.sources' '^(deb-src |Types:.*deb-src)' \
        /etc/apt/sources.list /etc/apt/sources.list.d/; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
            | "${as_root[@]}" tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
    else
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list \
            | "${as_root[@]}" tee /etc/apt/sources.list.d/debian-src.list >/dev/null
    fi
    "${as_root[@]}" apt-get update -qq
fi

# The source of exactly the installed host Qt: the two must be one version.
version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
work=${TMPDIR:-/tmp}/inkwright-windows-qt
rm -rf "$work" && mkdir -p "$work/build" && cd "$work"
apt-get source -qq "qt6-base=$version"
src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)

cd "$work/build"
start=$SECONDS
# The host Qt's CMake files lie in Debian's multiarch folder, where a cross
# build does not look unless told.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
nice -n 19 "$src/configure" -prefix "$prefix" -qt-host-path /usr "${features[@]}" \
    -- -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$multiarch/cmake"
echo "configure: $((SECONDS - start)) s"
start=$SECONDS
nice -n 19 cmake --build . --parallel 2
echo "build: $((SECONDS - start)) s"
nice -n 19 cmake --install . >/dev/null
printf 'Qt %s, static, x86_64-w64-mingw32\n%s\n' "$version" "$configuration" >"$marker"
echo "installed: $(du -sh "$prefix" | cut -f1) in $prefix"
cd / && rm -rf "$work"

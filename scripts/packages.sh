# Debian packages, by what needs them.
# The build and the suite (tst_write makes its https certificate with the openssl command).
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev libvulkan-dev fonts-dejavu-core openssl)
# The format check of the sources.
FORMAT_PACKAGES=(clang-format-14)
# Offscreen tests need nothing more; the end-to-end test drives a real X server.
E2E_PACKAGES=(xvfb xauth xclip xdotool x11-utils imagemagick qt6-qpa-plugins)
# Sanitizer runtime and libFuzzer.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# The Windows build (scripts/windows.sh): the cross compilers, unzip, Wine to run it, and
# Python for the stand-in chat server that inkwright-write.exe writes from.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 fonts-wine unzip python3)

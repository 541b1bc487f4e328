# Debian packages the project needs, in one place; sourced by tools/demo.sh
# and .ci/run. ensure_packages installs the missing ones (root only).

# What configuring and building every program needs.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config
  libsndfile1-dev libasound2-dev libjack-jackd2-dev
  libcairo2-dev libfontconfig-dev libx11-dev libfreetype-dev libgtk-3-dev)
# What the tests, sanitizers, fuzzers, benchmarks (valgrind: instruction counts) and the
# format check add.
TEST_PACKAGES=(clang clang-format libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev sox jackd2 python3
  fonts-wine xvfb xdotool valgrind)
# The Windows build: the MinGW-w64 cross compilers (GoogleTest's sources come
# with googletest above), Wine to run its tests, python3 to draw vemo.exe's
# icons.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 python3)

# ensure_packages WHO PACKAGE...: installs what is missing with apt-get, or
# says in one line that it needs root.
ensure_packages() {
  local who=$1 p
  shift
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "$who: installing ${missing[*]} needs root: run as root, or install them and run again" >&2
    return 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  # jackd2 asks whether to enable real-time limits: no (tests run without them).
  echo "jackd2 jackd/tweak_rt_limits boolean false" | debconf-set-selections
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

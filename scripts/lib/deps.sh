# Installs the Debian packages the project needs, once; afterwards nothing is fetched.
# Sourced by scripts/run and scripts/test.

reticor_packages=(
  cmake g++ make clang libclang-rt-14-dev clang-format clang-tidy
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 xvfb xauth socat fonts-nanum locales imagemagick xdotool x11-utils
  nsis python3 osslsigncode openssl
)

# Whether this machine's kernel runs 32-bit x86 programs: a 96-byte i386 ELF
# that exits with 7. Some kernels and sandboxes refuse them ("Exec format
# error"); there Wine's 32-bit loader cannot start either, and installing it
# would only shadow the 64-bit one behind /usr/bin/wine.
reticor_kernel_runs_i386() {
  local probe rc=0
  probe=$(mktemp "${TMPDIR:-/tmp}/reticor-i386.XXXXXX")
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  [ "$rc" -eq 7 ]
}

reticor_has_wine32() { dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; }

# Whether the 32-bit program and the x86 installer can run here: the kernel
# runs them and Wine's 32-bit loader is installed.
reticor_can_run_i386() { reticor_kernel_runs_i386 && reticor_has_wine32; }

# Why they cannot, for the NOT RUN lines.
reticor_i386_why_not() {
  if ! reticor_kernel_runs_i386; then
    echo "this machine refuses 32-bit x86 programs (Exec format error), so Wine's 32-bit loader cannot start here"
  else
    echo "Wine's 32-bit loader (wine32:i386) could not be installed from the package mirror"
  fi
}

reticor_install_deps() {
  # Once a run: scripts/test's tiers are scripts that source this too.
  [ -z "${RETICOR_DEPS_DONE-}" ] || return 0
  local missing=()
  local p
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  local packages=("${reticor_packages[@]}")
  local want_wine32=false
  # The 32-bit program runs under Wine's 32-bit loader, an i386 package.
  if reticor_kernel_runs_i386; then
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    reticor_has_wine32 || want_wine32=true
  fi
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ] || $want_wine32; then
    echo "Installing: ${missing[*]}$($want_wine32 && echo ' wine32:i386')"
    # A mirror in the middle of a sync fails one index or another; what the
    # others list is enough as long as the install below finds every package.
    local try
    for try in 1 2 3; do
      $sudo apt-get update -qq && break
      echo "apt-get update failed (try $try of 3); going on with the lists it has" >&2
      sleep $((try * 5))
    done
    if [ ${#missing[@]} -gt 0 ]; then
      DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
    # On its own: while the mirror's i386 lists lag behind the amd64 ones the
    # two cannot be installed together, and everything but the 32-bit tiers
    # runs without it (they say NOT RUN and why).
    if $want_wine32 && ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
      wine32:i386 >/dev/null; then
      echo "wine32:i386 could not be installed: the 32-bit end-to-end and installer tiers will say NOT RUN" >&2
    fi
  fi
  # Wine renders Korean only under a Korean locale.
  if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf8$'; then
    $sudo sed -i 's/^# *ko_KR.UTF-8 UTF-8/ko_KR.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
  fi
  export RETICOR_DEPS_DONE=1
}

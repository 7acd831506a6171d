# What the set-up scripts share (sourced, not run): run a command as root,
# and install the Debian packages of a list that are not installed yet, so
# that a machine that has them all installs nothing.
run() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2> /dev/null | grep -q "ok installed" ||
      missing+=("$package")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    run apt-get update
    run apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# shellcheck shell=bash
# Configuring and building for the demo and benchmark scripts; sourced, not
# run, from the repository's root. cmake's progress is not shown, its errors
# are.

# configure_build DIR: configures DIR with the preset of that name when DIR
# is build/PRESET, else with the project's defaults.
configure_build() {
  local dir=$1 preset=${1#build/} presets
  presets=$(cmake --list-presets=configure 2>/dev/null) || presets=""
  if [ "build/$preset" = "$dir" ] && grep -qF "\"$preset\"" <<<"$presets"; then
    cmake --preset "$preset" >/dev/null
  else
    cmake -S . -B "$dir" >/dev/null
  fi
}

# build_targets DIR TARGET...: builds the targets in the configured DIR.
build_targets() {
  local dir=$1
  shift
  cmake --build "$dir" -j2 --target "$@" >/dev/null
}

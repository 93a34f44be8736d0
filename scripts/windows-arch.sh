# Sourced by scripts/test.sh and scripts/run.sh: which Windows build this host can run.
#
#   cvn_runs_32bit   succeeds when 32-bit Wine starts here; otherwise sets cvn_no32_reason.
#
# A real start of the 32-bit Wine loader, not a guess from uname: a 64-bit kernel may have
# its IA-32 emulation switched off, and then every 32-bit program fails with "Exec format
# error" however the packages are installed.
cvn_no32_reason=
cvn_runs_32bit() {
  local loader=/usr/lib/wine/wine out
  if [ ! -x "$loader" ]; then
    cvn_no32_reason="32-bit Wine is not installed"
    return 1
  fi
  if out=$("$loader" --version 2>&1); then
    return 0
  fi
  if grep -qi 'exec format error' <<<"$out"; then
    cvn_no32_reason="this host runs no 32-bit code"
  else
    cvn_no32_reason="32-bit Wine does not start: $out"
  fi
  return 1
}

# Shared by the README commands. The Windows build that carries the broad suite: the product
# (win32) where the kernel executes 32-bit code itself, otherwise the same sources built for
# 64-bit (win64). SETUP_PE32_EMULATE=1 takes the second way on any machine, so that the
# emulated PE32 layer can be tried where 32-bit code would run natively.
source "$(dirname "${BASH_SOURCE[0]}")/../tests/harness/i386-exec.sh"

windows_preset() {
  # With an i386 emulator registered every 32-bit process is emulated: far too slow for the suite.
  if [ "${SETUP_PE32_EMULATE:-0}" != 1 ] && [ -z "$(i386_emulator_entry)" ] && pe32_can_start; then
    echo win32
  else
    echo win64
  fi
}
deps_target_of() {
  case "$1" in
    win32) echo i686-w64-mingw32 ;;
    win64) echo x86_64-w64-mingw32 ;;
    *) echo native ;;
  esac
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi
}

# The i386 entry registered by i386_emulation_up, removed again by i386_emulation_down.
i386_registered=""
i386_entry_name=qemu-i386
# binfmt_misc's i386 ELF entry (executables and shared objects), as qemu documents it; F opens
# the emulator at registration, so it also serves programs in other mount namespaces.
i386_entry=":$i386_entry_name:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386-static:F"

# Makes Wine's 32-bit loader start through qemu-i386: installs the emulator, mounts
# binfmt_misc if needed and registers only the i386 entry, only when no i386 emulator entry
# is there. Fails with the reason in i386_reason when that is not possible.
i386_reason=""
i386_emulation_up() {
  if [ -n "$(i386_emulator_entry)" ]; then
    pe32_can_start && return 0
    i386_reason="an i386 emulator is registered, but Wine's 32-bit loader does not start"; return 1
  fi
  tools/bootstrap.sh --i386-emulation >/dev/null || { i386_reason="qemu-user-static could not be installed"; return 1; }
  if [ ! -e "$binfmt_dir/register" ]; then
    as_root mount -t binfmt_misc binfmt_misc "$binfmt_dir" 2>/dev/null || {
      i386_reason="binfmt_misc cannot be mounted at $binfmt_dir"; return 1; }
  fi
  if [ -e "$binfmt_dir/$i386_entry_name" ]; then
    i386_reason="a disabled binfmt_misc entry $i386_entry_name is in the way"; return 1
  fi
  as_root sh -c 'printf "%s" "$1" >"$2/register"' sh "$i386_entry" "$binfmt_dir" 2>/dev/null || {
    i386_reason="the i386 entry cannot be registered in binfmt_misc"; return 1; }
  i386_registered="$i386_entry_name"
  pe32_can_start || {
    i386_reason="Wine's 32-bit loader does not start under qemu-i386"; i386_emulation_down; return 1; }
}

# Removes the entry that i386_emulation_up registered (it slows every 32-bit process down).
i386_emulation_down() {
  [ -n "$i386_registered" ] || return 0
  as_root sh -c 'echo -1 >"$1"' sh "$binfmt_dir/$i386_registered" || true
  i386_registered=""
}

# Sourced: can this machine start 32-bit programs under Wine, and how.
# Wine's 32-bit loader is an i386 ELF program: it starts where the kernel executes 32-bit code,
# or where binfmt_misc hands i386 ELF files to the qemu-i386 emulator.
binfmt_dir=/proc/sys/fs/binfmt_misc

# The name of an enabled binfmt_misc entry that runs i386 ELF files through qemu, or nothing.
i386_emulator_entry() {
  local f
  for f in "$binfmt_dir"/*; do
    case "${f##*/}" in register | status | '*') continue ;; esac
    [ -f "$f" ] || continue
    if grep -qx enabled "$f" 2>/dev/null && grep -Eq '^interpreter .*/qemu-i386(-static)?$' "$f" 2>/dev/null; then
      echo "${f##*/}"
      return 0
    fi
  done
  return 0
}

# True when Wine's 32-bit loader starts (natively or emulated).
pe32_can_start() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

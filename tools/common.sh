# Shared by the README commands. The Windows build that can run here: the product (win32)
# where the kernel executes 32-bit code, otherwise the same sources built for 64-bit (win64).
windows_preset() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}
deps_target_of() {
  case "$1" in
    win32) echo i686-w64-mingw32 ;;
    win64) echo x86_64-w64-mingw32 ;;
    *) echo native ;;
  esac
}

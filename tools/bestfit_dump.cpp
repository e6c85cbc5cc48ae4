// bestfit_dump <code page>: prints the best-fit mappings of a code page that turn a character
// outside ASCII into one ASCII character, one "XXXX YY" line each (the source of
// install/BestFitTables.cpp). Windows only; run it under Wine or Windows.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
int wmain(int argc, wchar_t** argv) {
  const UINT cp = argc > 1 ? static_cast<UINT>(_wtoi(argv[1])) : 1252;
  int n = 0;
  for (unsigned c = 0x80; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    wchar_t w = static_cast<wchar_t>(c);
    char out[8] = {};
    BOOL usedDefault = FALSE;
    const int len = WideCharToMultiByte(cp, 0, &w, 1, out, sizeof out, nullptr, cp == 65001 ? nullptr : &usedDefault);
    if (len == 1 && !usedDefault && static_cast<unsigned char>(out[0]) < 0x80) {
      std::printf("%04X %02X\n", c, static_cast<unsigned char>(out[0]));
      ++n;
    }
  }
  std::fprintf(stderr, "code page %u: %d mappings\n", cp, n);
  return 0;
}

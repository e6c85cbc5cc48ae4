// drop_version_record <program> <copy>: writes a copy of a PE program file whose resource tree
// no longer holds the version record (the RT_VERSION entry is taken out of the root directory;
// its bytes stay unused in the file). Shows that the tests of the shipped program notice a build
// that lost its version record.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {
constexpr uint32_t kRtVersion = 16;

struct Image {
  std::string bytes;
  bool has(size_t offset, size_t size) const { return offset <= bytes.size() && size <= bytes.size() - offset; }
  uint32_t u16(size_t at) const {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
  }
  uint32_t u32(size_t at) const { return u16(at) | u16(at + 2) << 16; }
};

// The file offset of the root resource directory, or 0 with the reason in why.
size_t ResourceRoot(const Image& im, const char*& why) {
  why = "not a PE file";
  if (!im.has(0, 0x40) || im.bytes.compare(0, 2, "MZ") != 0) return 0;
  const size_t pe = im.u32(0x3C);
  if (!im.has(pe, 24) || im.bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
  const size_t sections = im.u16(pe + 6), optionalSize = im.u16(pe + 20), optional = pe + 24;
  if (!im.has(optional, optionalSize) || optionalSize < 2) return 0;
  const uint32_t magic = im.u16(optional);
  const size_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
  why = "no resources";
  if (directories == 0 || optionalSize < directories + 3 * 8 || im.u32(optional + directories - 4) < 3) return 0;
  const uint32_t rva = im.u32(optional + directories + 2 * 8);
  const size_t table = optional + optionalSize;
  if (rva == 0 || !im.has(table, sections * 40)) return 0;
  for (size_t i = 0; i < sections; ++i) {
    const size_t s = table + i * 40;
    const uint32_t va = im.u32(s + 12), rawSize = im.u32(s + 16), raw = im.u32(s + 20);
    if (rva >= va && rva - va < rawSize && im.has(raw + (rva - va), 16)) return raw + (rva - va);
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: drop_version_record <program> <copy>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  Image im{std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())};
  const char* why = nullptr;
  const size_t root = ResourceRoot(im, why);
  if (root == 0) {
    std::fprintf(stderr, "%s: %s\n", argv[1], why);
    return 1;
  }
  const size_t named = im.u16(root + 12), ids = im.u16(root + 14), entries = root + 16;
  if (!im.has(entries, (named + ids) * 8)) {
    std::fprintf(stderr, "%s: resource directory cut short\n", argv[1]);
    return 1;
  }
  for (size_t i = named; i < named + ids; ++i) {
    if (im.u32(entries + i * 8) != kRtVersion) continue;
    // Close the gap: the later id entries move up by one, the last slot is cleared.
    char* at = im.bytes.data() + entries + i * 8;
    std::memmove(at, at + 8, (named + ids - i - 1) * 8);
    std::memset(im.bytes.data() + entries + (named + ids - 1) * 8, 0, 8);
    im.bytes[root + 14] = static_cast<char>((ids - 1) & 0xFF);
    im.bytes[root + 15] = static_cast<char>((ids - 1) >> 8);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(im.bytes.data(), static_cast<std::streamsize>(im.bytes.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "%s: cannot write\n", argv[2]);
      return 1;
    }
    std::printf("%s: copy of %s without its version record\n", argv[2], argv[1]);
    return 0;
  }
  std::fprintf(stderr, "%s: no version record\n", argv[1]);
  return 1;
}

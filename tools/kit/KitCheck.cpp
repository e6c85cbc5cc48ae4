#include "tools/kit/KitCheck.h"

#include <fstream>
#include <system_error>

#include "install/ZipMaster.h"
#include "support/Utf8.h"

namespace fs = std::filesystem;

namespace {

// The component's texts are wide; on other systems it converts them back to UTF-8.
std::wstring ComponentText(const fs::path& path) {
#ifdef _WIN32
  return path.wstring();
#else
  return Utf8ToWideLenient(path.string());
#endif
}

bool SameBytes(const fs::path& a, const fs::path& b) {
  std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
  if (!x || !y) return false;
  std::vector<char> bx(1 << 16), by(1 << 16);
  while (true) {
    x.read(bx.data(), static_cast<std::streamsize>(bx.size()));
    y.read(by.data(), static_cast<std::streamsize>(by.size()));
    if (x.gcount() != y.gcount()) return false;
    if (x.gcount() == 0) return x.eof() && y.eof();
    if (!std::equal(bx.begin(), bx.begin() + x.gcount(), by.begin())) return false;
  }
}

}  // namespace

bool CheckArchive(const fs::path& archive, const std::vector<KitEntry>& entries, const std::wstring& password,
                  const fs::path& scratch, const std::function<void(double)>& progress, std::string& error) {
  std::wstring message;
  TZipMaster zip;
  zip.setUnattended(true);
  zip.showMessage = [&](const std::wstring& text) { message = text; };
  zip.setZipFileName(ComponentText(archive));
  zip.setUseDirOnlyEntries(true);
  zip.setPassword(password);
  zip.setExtrOptions(zip.ExtrOptions() + ExtrOverWrite);
  if (zip.Count() != static_cast<int>(entries.size())) {
    error = "the archive lists " + std::to_string(zip.Count()) + " entries, " + std::to_string(entries.size()) +
            " were packed" + (message.empty() ? "" : ": " + WideToUtf8(message));
    return false;
  }
  uint64_t total = 0, done = 0;
  for (const KitEntry& entry : entries) total += entry.size;
  for (int i = 0; i < zip.Count(); ++i) {
    const KitEntry& entry = entries[static_cast<size_t>(i)];
    const ZipDirEntry& listed = zip.DirEntry(i);
    std::wstring expected = *Utf8ToWide(entry.name);
    for (wchar_t& c : expected)
      if (c == L'/') c = L'\\';
    if (listed.FileName != expected || listed.UncompressedSize != static_cast<int64_t>(entry.size)) {
      error = "entry " + std::to_string(i) + " is listed as " + WideToUtf8(listed.FileName) + " (" +
              std::to_string(listed.UncompressedSize) + " bytes), packed as " + entry.name + " (" +
              std::to_string(entry.size) + " bytes)";
      return false;
    }
    // As the install run does: the entry's own folder as the base, the bare name extracted.
    const fs::path relative = fs::path(std::u8string(entry.name.begin(), entry.name.end()));
    const fs::path folder = scratch / (entry.isDirectory ? relative : relative.parent_path());
    std::error_code ec;
    fs::create_directories(folder, ec);
    zip.FSpecArgs().clear();
    zip.FSpecArgs().push_back(listed.FileName);
    zip.setExtrBaseDir(ComponentText(folder) + L"\\");
    message.clear();
    if (const int result = zip.Extract(); result != 0) {
      error = entry.name + ": the setup's archive component cannot extract it (" + std::to_string(result) + ": " +
              WideToUtf8(zip.ErrMessage()) + ")";
      return false;
    }
    if (!entry.isDirectory) {
      const fs::path extracted = scratch / relative;
      if (!SameBytes(extracted, entry.source)) {
        error = entry.name + ": extracted bytes differ from " + Shown(entry.source);
        return false;
      }
      fs::remove(extracted, ec);
      done += entry.size;
    }
    if (progress && total > 0) progress(static_cast<double>(done) / static_cast<double>(total));
  }
  return true;
}

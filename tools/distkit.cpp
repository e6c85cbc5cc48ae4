// distkit: builds a distribution folder of the add-on from its content folder.
//   distkit --setup Setup.exe [--uninstaller uninstall.exe] [--texts translations.txt]
//           [--agreement Lizenzvertrag.rtf] [--notes Readme.txt] [--aes256] [--replace]
//           <content folder> <distribution folder>
// The distribution holds Setup.exe and uninstall.exe (with the translations appended as their
// language block), the encrypted data archive and the agreement and notes files. Everything is
// built in a hidden folder beside the distribution folder, the archive is read back through the
// setup's own archive component and compared file by file, and only then does the folder get
// its name; on any error nothing is left behind and an existing distribution stays as it was.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <vector>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "install/InstallRules.h"
#include "support/LanguageTexts.h"
#include "support/ProductFacts.h"
#include "support/Utf8.h"
#include "tools/kit/KitArchive.h"
#include "tools/kit/KitCheck.h"
#include "tools/kit/KitContent.h"
#include "tools/kit/ToolFiles.h"

namespace fs = std::filesystem;

namespace {

struct Options {
  fs::path content, output, setup, uninstaller, texts, agreement, notes;
  KitEncryption encryption = KitEncryption::ZipCrypto;
  bool replace = false;
};

int Usage() {
  std::fprintf(stderr,
               "usage: distkit --setup Setup.exe [--uninstaller uninstall.exe] [--texts translations.txt]\n"
               "               [--agreement Lizenzvertrag.rtf] [--notes Readme.txt] [--aes256] [--replace]\n"
               "               <content folder> <distribution folder>\n");
  return 2;
}

bool Fail(const std::string& message) {
  std::fprintf(stderr, "distkit: %s\n", message.c_str());
  return false;
}

bool IsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

// One line on a terminal, rewritten as the share grows; nothing when stderr is redirected.
class Progress {
 public:
  Progress(const char* label, bool shown) : label_(label), shown_(shown) {}
  ~Progress() {
    if (shown_ && last_ >= 0) std::fprintf(stderr, "\n");
  }
  void operator()(double share) {
    const int percent = static_cast<int>(share * 100.0);
    if (!shown_ || percent == last_) return;
    last_ = percent;
    std::fprintf(stderr, "\rdistkit: %s %3d %%", label_, percent);
    std::fflush(stderr);
  }

 private:
  const char* label_;
  bool shown_;
  int last_ = -1;
};

bool WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  return WriteFileBytes(path, bytes) || Fail(Shown(path) + ": cannot be written");
}

// True when inner is outer or lies below it.
bool Inside(const fs::path& inner, const fs::path& outer) {
  auto i = inner.begin();
  for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
    if (o->empty()) continue;  // the empty element of a trailing separator
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

// The programs and files shipped beside the archive, read before anything is written.
struct ShippedFile {
  fs::path name;
  std::vector<uint8_t> bytes;
};

bool ReadShipped(const Options& o, std::vector<ShippedFile>& files) {
  std::vector<std::wstring> lines;
  if (!o.texts.empty()) {
    const auto texts = ReadFileBytes(o.texts);
    if (!texts) return Fail(Shown(o.texts) + ": cannot be read");
    std::string error;
    if (!ParseTranslationLines(std::string_view(reinterpret_cast<const char*>(texts->data()), texts->size()), lines,
                               error))
      return Fail(Shown(o.texts) + ": " + error);
  }
  const struct {
    const fs::path& from;
    const wchar_t* name;
    bool program;
  } inputs[] = {
      {o.setup, L"Setup.exe", true},
      {o.uninstaller, product::uninstallerFileName, true},
      {o.agreement, L"Lizenzvertrag.rtf", false},
      {o.notes, L"Readme.txt", false},
  };
  for (const auto& input : inputs) {
    if (input.from.empty()) continue;
    std::error_code ec;
    if (!fs::is_regular_file(input.from, ec)) return Fail(Shown(input.from) + ": not a file");
    auto bytes = ReadFileBytes(input.from);
    if (!bytes) return Fail(Shown(input.from) + ": cannot be read");
    if (input.program && !o.texts.empty()) {
      bytes = WithLanguageBlock(std::move(*bytes), lines);
      if (!bytes) return Fail(Shown(o.texts) + ": the texts are too large for one language block");
    }
    files.push_back({fs::path(input.name), std::move(*bytes)});
  }
  return true;
}

// Only a folder holding nothing but what the kit writes may be replaced, so that a mistyped
// path cannot remove anything else.
bool IsDistribution(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(folder, ec))) return false;
  const std::wstring data = std::wstring(product::dataFileBaseName) + product::dataFileExtension;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::wstring name = entry.path().filename().wstring();
    if (name != L"Setup.exe" && name != product::uninstallerFileName && name != data && name != L"Lizenzvertrag.rtf" &&
        name != L"Readme.txt")
      return false;
  }
  return !ec;
}

// A new hidden folder beside the distribution folder.
std::optional<fs::path> MakeStaging(const fs::path& output) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    fs::path staging = output.parent_path() / ("." + Shown(output.filename()) + ".distkit-" + std::to_string(random()));
    std::error_code ec;
    if (fs::create_directory(staging, ec)) return staging;
    if (ec) break;
  }
  Fail(Shown(output.parent_path()) + ": no working folder can be created there");
  return std::nullopt;
}

// Gives the built folder its name; an existing distribution is moved aside first and removed
// only once the new one is in place.
bool Publish(const fs::path& staging, const fs::path& output) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(output, ec))) {
    fs::rename(staging, output, ec);
    return !ec || Fail(Shown(output) + ": the finished folder cannot be renamed into place (" + ec.message() + ")");
  }
  const fs::path old = staging.string() + ".old";
  fs::rename(output, old, ec);
  if (ec) return Fail(Shown(output) + ": cannot be moved aside (" + ec.message() + ")");
  fs::rename(staging, output, ec);
  if (ec) {
    std::error_code back;
    fs::rename(old, output, back);
    return Fail(Shown(output) + ": the finished folder cannot be renamed into place (" + ec.message() + ")");
  }
  fs::remove_all(old, ec);
  if (ec) std::fprintf(stderr, "distkit: warning: the old distribution %s is left behind\n", Shown(old).c_str());
  return true;
}

bool Build(const Options& o, fs::path& staging) {
  std::error_code ec;
  const fs::path content = fs::weakly_canonical(o.content, ec);
  if (ec || !fs::is_directory(content, ec)) return Fail(Shown(o.content) + ": not a folder");
  const fs::path output = fs::weakly_canonical(fs::absolute(o.output), ec);
  if (ec || output.filename().empty()) return Fail(Shown(o.output) + ": not usable as the distribution folder");
  if (!IsValidUtf8(Shown(output))) return Fail(Shown(o.output) + ": the path is not valid text");
  if (Inside(output, content) || Inside(content, output))
    return Fail("the distribution folder and the content folder must lie apart");
  if (fs::exists(fs::symlink_status(output, ec))) {
    if (!o.replace) return Fail(Shown(output) + ": exists already (remove it, or give --replace)");
    if (!IsDistribution(output))
      return Fail(Shown(output) + ": holds more than a distribution; --replace replaces only a distribution folder");
  }
  if (!fs::is_directory(output.parent_path(), ec)) return Fail(Shown(output.parent_path()) + ": folder missing");

  std::vector<ShippedFile> shipped;
  if (!ReadShipped(o, shipped)) return false;
  std::vector<KitEntry> entries;
  std::string error;
  if (!CollectContent(content, entries, error)) return Fail(error);
  if (o.uninstaller.empty())
    std::fprintf(stderr, "distkit: warning: no uninstall.exe given; the setup cannot install without it\n");

  const auto made = MakeStaging(output);
  if (!made) return false;
  staging = *made;
  for (const ShippedFile& file : shipped)
    if (!WriteBytes(staging / file.name, file.bytes)) return false;

  const fs::path archive = staging / (std::wstring(product::dataFileBaseName) + product::dataFileExtension);
  const bool terminal = IsTerminal();
  {
    Progress progress("packing", terminal);
    if (!WriteArchive(archive, entries, o.encryption, WideToUtf8(kArchivePassword), std::ref(progress), error))
      return Fail(error);
  }
  {
    Progress progress("checking", terminal);
    const fs::path scratch = staging / ".check";
    fs::create_directory(scratch, ec);
    if (!CheckArchive(archive, entries, kArchivePassword, scratch, std::ref(progress), error))
      return Fail("check failed: " + error);
    fs::remove_all(scratch, ec);
    if (ec) return Fail(Shown(scratch) + ": cannot be removed (" + ec.message() + ")");
  }
  if (!Publish(staging, output)) return false;
  staging.clear();

  size_t folders = 0;
  uint64_t bytes = 0;
  for (const KitEntry& e : entries) {
    folders += e.isDirectory;
    bytes += e.size;
  }
  std::printf("distkit: %s: %zu folders and %zu files (%llu bytes) in %s (%s), checked: listed and extracted "
              "identically by the setup's archive component\n",
              Shown(output).c_str(), folders, entries.size() - folders, static_cast<unsigned long long>(bytes),
              Shown(archive.filename()).c_str(), o.encryption == KitEncryption::Aes256 ? "AES-256" : "ZipCrypto");
  for (const ShippedFile& file : shipped) std::printf("distkit: %s\n", Shown(file.name).c_str());
  return true;
}

template <class Char>
int Run(int argc, Char** argv) {
  Options o;
  std::vector<fs::path> positional;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg(argv[i]);
    const std::string a = Shown(arg);
    fs::path* value = nullptr;
    if (a == "--setup") value = &o.setup;
    else if (a == "--uninstaller") value = &o.uninstaller;
    else if (a == "--texts") value = &o.texts;
    else if (a == "--agreement") value = &o.agreement;
    else if (a == "--notes") value = &o.notes;
    else if (a == "--aes256") o.encryption = KitEncryption::Aes256;
    else if (a == "--replace") o.replace = true;
    else if (a.rfind("--", 0) == 0) return Fail("unknown option " + a), Usage();
    else positional.push_back(arg);
    if (value) {
      if (++i >= argc) return Usage();
      *value = fs::path(argv[i]);
    }
  }
  if (positional.size() != 2 || o.setup.empty()) return Usage();
  o.content = positional[0];
  o.output = positional[1];

  fs::path staging;
  const bool ok = Build(o, staging);
  if (!staging.empty()) {
    std::error_code ec;
    fs::remove_all(staging, ec);
  }
  return ok ? 0 : 1;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return Run(argc, argv); }
#else
int main(int argc, char** argv) { return Run(argc, argv); }
#endif

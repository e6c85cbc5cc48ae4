#include "tools/kit/KitArchive.h"

#include <zip.h>

#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string ArchiveError(zip_t* za) { return zip_error_strerror(zip_get_error(za)); }

zip_source_t* FileSource(zip_t* za, const fs::path& file) {
#ifdef _WIN32
  return zip_source_win32w(za, file.wstring().c_str(), 0, -1);
#else
  return zip_source_file(za, file.c_str(), 0, -1);
#endif
}

void ProgressCallback(zip_t*, double share, void* state) {
  (*static_cast<const std::function<void(double)>*>(state))(share);
}

}  // namespace

bool WriteArchive(const fs::path& archive, const std::vector<KitEntry>& entries, KitEncryption encryption,
                  const std::string& password, const std::function<void(double)>& progress, std::string& error) {
  int code = 0;
  zip_t* za = zip_open(Shown(archive).c_str(), ZIP_CREATE | ZIP_EXCL, &code);
  if (za == nullptr) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    error = Shown(archive) + ": cannot be created (" + zip_error_strerror(&e) + ")";
    zip_error_fini(&e);
    return false;
  }
  const zip_uint16_t method = encryption == KitEncryption::Aes256 ? ZIP_EM_AES_256 : ZIP_EM_TRAD_PKWARE;
  auto fail = [&](const std::string& what) {
    error = what + " (" + ArchiveError(za) + ")";
    zip_discard(za);
    std::error_code ec;
    fs::remove(archive, ec);
    return false;
  };
  for (const KitEntry& entry : entries) {
    zip_int64_t index = 0;
    if (entry.isDirectory) {
      // Folders carry no data: they stay unencrypted, as the setup expects them.
      index = zip_dir_add(za, entry.name.c_str(), ZIP_FL_ENC_UTF_8);
      if (index < 0) return fail(entry.name + ": folder entry not added");
      // rwxr-xr-x and the DOS folder bit, instead of libzip's world-writable default.
      if (zip_file_set_external_attributes(za, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                           (0040755u << 16) | 0x10u) != 0)
        return fail(entry.name + ": folder attributes not set");
      continue;
    }
    zip_source_t* source = FileSource(za, entry.source);
    if (source == nullptr) return fail(Shown(entry.source) + ": cannot be read");
    index = zip_file_add(za, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      return fail(entry.name + ": entry not added");
    }
    if (zip_set_file_compression(za, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0) != 0 ||
        zip_file_set_encryption(za, static_cast<zip_uint64_t>(index), method, password.c_str()) != 0)
      return fail(entry.name + ": compression or encryption not available");
  }
  if (progress) zip_register_progress_callback_with_state(za, 0.001, ProgressCallback, nullptr,
                                                          const_cast<std::function<void(double)>*>(&progress));
  if (zip_close(za) != 0) return fail(Shown(archive) + ": not written");
  return true;
}

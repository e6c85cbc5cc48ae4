// Writing the data archive of a distribution with libzip: every entry in the given order, names
// as UTF-8, files deflated and encrypted with the product's password, folders plain.
#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/kit/KitContent.h"

enum class KitEncryption { ZipCrypto, Aes256 };

// Writes a new archive (an existing file there is an error). progress, when set, receives the
// share written so far (0..1). False with a message; a partly written archive is removed.
bool WriteArchive(const std::filesystem::path& archive, const std::vector<KitEntry>& entries,
                  KitEncryption encryption, const std::string& password,
                  const std::function<void(double)>& progress, std::string& error);

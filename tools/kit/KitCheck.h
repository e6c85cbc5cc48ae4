// The kit's last step: the archive read back through the setup's own archive component, the
// way the install run reads it, and every extracted file compared with its source.
#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/kit/KitContent.h"

// Lists the archive (names, order, sizes must be the entries'), extracts each entry into
// scratch (an empty folder) one at a time, compares it with its source and removes it again.
// progress receives the share done (0..1). False with a message naming the first difference.
bool CheckArchive(const std::filesystem::path& archive, const std::vector<KitEntry>& entries,
                  const std::wstring& password, const std::filesystem::path& scratch,
                  const std::function<void(double)>& progress, std::string& error);

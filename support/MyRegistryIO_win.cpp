#include "support/MyRegistryIO.h"

#include "support/DebugLog.h"
#include "support/SetupError.h"

namespace {

bool FileExists(const std::wstring& fileName) {
  DWORD attributes = GetFileAttributesW(fileName.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads a value's data; the value may change between the size query and the read, so the
// buffer grows until it fits. Returns the result of the last query.
LONG QueryValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
  DWORD size = 0;
  LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  for (int attempt = 0; rc == ERROR_SUCCESS && attempt < 8; ++attempt) {
    data.assign(size, 0);
    DWORD got = size;
    rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &got);
    if (rc == ERROR_SUCCESS) {
      data.resize(got);
      return rc;
    }
    if (rc == ERROR_MORE_DATA) {
      size = got > size ? got : size * 2 + 2;
      rc = ERROR_SUCCESS;
    }
  }
  if (rc == ERROR_SUCCESS) rc = ERROR_MORE_DATA;
  return rc;
}

// The UTF-16 characters of a value's data (an odd last byte is dropped).
std::wstring_view Characters(const std::vector<BYTE>& data) {
  return {reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t)};
}

}  // namespace

void RegistryKey::SetRootKey(HKEY root) {
  root_ = root;
  CloseKey();
}

void RegistryKey::CloseKey() {
  current_.reset();
  currentPath_.clear();
}

RegistryKey::Target RegistryKey::Resolve(const std::wstring& key) const {
  bool relative = key.empty() || key[0] != L'\\';
  std::wstring path = relative ? key : key.substr(1);
  bool relativeToCurrent = relative && current_;
  return {relativeToCurrent ? current_.get() : root_, std::move(path), relativeToCurrent};
}

bool RegistryKey::OpenWith(const std::wstring& key, bool canCreate, REGSAM access) {
  Target t = Resolve(key);
  HKEY opened = nullptr;
  LONG rc;
  if (canCreate && !t.path.empty())
    rc = RegCreateKeyExW(t.base, t.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                         nullptr, &opened, nullptr);
  else
    rc = RegOpenKeyExW(t.base, t.path.c_str(), 0, access, &opened);
  if (rc != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(rc));
    return false;
  }
  std::wstring path = t.relativeToCurrent ? currentPath_ + L"\\" + t.path : t.path;
  current_.reset(opened);
  currentPath_ = std::move(path);
  return true;
}

bool RegistryKey::OpenKey(const std::wstring& key, bool canCreate) {
  return OpenWith(key, canCreate, access_);
}

bool RegistryKey::OpenKeyReadOnly(const std::wstring& key) {
  const REGSAM masks[] = {KEY_READ, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS,
                          KEY_QUERY_VALUE};
  const REGSAM view = ViewFlags();
  for (REGSAM mask : masks) {
    if (OpenWith(key, false, mask | view)) {
      access_ = mask | view;
      return true;
    }
  }
  return false;
}

bool RegistryKey::KeyExists(const std::wstring& key) {
  Target t = Resolve(key);
  HKEY opened = nullptr;
  LONG rc = RegOpenKeyExW(t.base, t.path.c_str(), 0,
                          STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | ViewFlags(),
                          &opened);
  unique_hkey closer(rc == ERROR_SUCCESS ? opened : nullptr);
  SetLastError(static_cast<DWORD>(rc));
  return rc == ERROR_SUCCESS;
}

bool RegistryKey::ValueExists(const std::wstring& name) const {
  return RegQueryValueExW(current_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

void RegistryKey::WriteString(const std::wstring& name, const std::wstring& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  LONG rc = RegSetValueExW(current_.get(), name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  if (rc != ERROR_SUCCESS) throw SetupError(L"Fehler beim Setzen der Daten für '" + name + L"'");
}

std::wstring RegistryKey::ReadString(const std::wstring& name) const {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  // A missing value or one without data is empty text, whatever its type.
  if (QueryValue(current_.get(), name, type, data) != ERROR_SUCCESS || data.empty()) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    throw SetupError(L"Ungültiger Datentyp für '" + name + L"'");
  std::wstring_view text = Characters(data);
  return std::wstring(text.substr(0, text.find(L'\0')));
}

bool RegistryKey::ReadStrings(const std::wstring& name, std::vector<std::wstring>& strings) const {
  strings.clear();
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  LONG rc = QueryValue(current_.get(), name, type, data);
  SetLastError(static_cast<DWORD>(rc));
  if (rc != ERROR_SUCCESS) {
    LogProc(3, L"ReadStrings: Name nicht vorhanden oder Typ konnte nicht ermittelt werden");
    return false;
  }
  if (type != REG_MULTI_SZ) {
    LogProc(3, L"ReadStrings: REG_MULTI_SZ erwartet");
    return false;
  }
  // Strings end at a zero character; the data need not end with one.
  std::wstring_view rest = Characters(data);
  while (!rest.empty()) {
    size_t end = rest.find(L'\0');
    std::wstring_view item = rest.substr(0, end);
    if (item.empty()) break;
    strings.emplace_back(item);
    if (end == std::wstring_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return true;
}

bool RegistryKey::WriteStrings(const std::wstring& name, const std::vector<std::wstring>& strings) {
  std::wstring buffer;
  for (const std::wstring& s : strings) {
    buffer += s;
    buffer += L'\0';
  }
  buffer += L'\0';
  LONG rc = RegSetValueExW(current_.get(), name.c_str(), 0, REG_MULTI_SZ,
                           reinterpret_cast<const BYTE*>(buffer.data()),
                           static_cast<DWORD>(buffer.size() * sizeof(wchar_t)));
  SetLastError(static_cast<DWORD>(rc));
  if (rc != ERROR_SUCCESS) {
    LogProc(3, L"Unable to write MULTI_SZ value");
    return false;
  }
  return true;
}

bool RegistryKey::LoadKey(const std::wstring& key, const std::wstring& fileName) {
  Target t = Resolve(key);
  LONG rc = RegLoadKeyW(t.base, t.path.c_str(), fileName.c_str());
  SetLastError(static_cast<DWORD>(rc));
  return rc == ERROR_SUCCESS;
}

bool RegistryKey::UnLoadKey(const std::wstring& key) {
  Target t = Resolve(key);
  LONG rc = RegUnLoadKeyW(t.base, t.path.c_str());
  SetLastError(static_cast<DWORD>(rc));
  return rc == ERROR_SUCCESS;
}

RegistryKey CreateRegistry(HKEY rootKey, REGSAM access) {
  RegistryKey key(access);
  key.SetRootKey(rootKey);
  return key;
}

std::wstring RootKeyName(HKEY rootKey) {
  static const struct {
    HKEY key;
    const wchar_t* name;
  } names[] = {
      {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"},         {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
      {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"},       {HKEY_USERS, L"HKEY_USERS"},
      {HKEY_PERFORMANCE_DATA, L"HKEY_PERFORMANCE_DATA"}, {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG"},
      {HKEY_DYN_DATA, L"HKEY_DYN_DATA"},
  };
  for (const auto& n : names)
    if (n.key == rootKey) return n.name;
  return L"not defined";
}

bool RegWriteString(const std::wstring& key, const std::wstring& valueName, const std::wstring& value) {
  RegistryKey registry = CreateRegistry(HKEY_LOCAL_MACHINE, kRegistryFullAccess32);
  if (!registry.OpenKey(key, true)) return false;
  registry.WriteString(valueName, value);
  return true;
}

std::wstring RegReadString(const std::wstring& key, const std::wstring& valueName) {
  RegistryKey registry = CreateRegistry(HKEY_LOCAL_MACHINE, kRegistryFullAccess32);
  if (!registry.OpenKey(key, false)) return {};
  if (!registry.ValueExists(valueName)) return {};
  return registry.ReadString(valueName);
}

bool LoadRegFile(const std::wstring& fileName, HKEY rootKey, const std::wstring& keyName) {
  if (!FileExists(fileName)) {
    LogProc(3, L"LoadRegFile: File \"" + fileName + L"\" not found");
    return false;
  }
  RegistryKey registry = CreateRegistry(rootKey, MAXIMUM_ALLOWED | KEY_WOW64_32KEY);
  if (registry.LoadKey(keyName, fileName)) {
    LogProc(9, L"\"" + fileName + L"\" loaded to \"" + RootKeyName(rootKey) + L"\\" + keyName + L"\"");
    return true;
  }
  const DWORD error = GetLastError();
  LogProc(3, L"Can't load file: \"" + fileName + L"\" to key: \"" + keyName + L"\" (Error: " +
                 std::to_wstring(error) + L")");
  return false;
}

bool UnLoadRegFile(HKEY rootKey, const std::wstring& keyName) {
  RegistryKey registry(MAXIMUM_ALLOWED);
  registry.SetRootKey(rootKey);
  bool result;
  if (registry.KeyExists(keyName)) {
    result = registry.UnLoadKey(keyName);
  } else {
    const DWORD error = GetLastError();
    LogProc(3, keyName + L" not loaded");
    SetLastError(error);
    result = false;
  }
  if (!result) {
    const DWORD error = GetLastError();
    LogProc(3, L"Can't unload key: \"" + keyName + L"\" (Error: " + std::to_wstring(error) + L")");
  }
  return result;
}

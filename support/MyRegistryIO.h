// MyRegistryIO: the registry key object and the one-call string operations of the installation.
// Windows only. Every operation that HKEY_LOCAL_MACHINE is given works in the 32-bit view
// (KEY_WOW64_32KEY), so on 64-bit Windows the add-on's keys lie where 32-bit programs keep theirs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handles.h"

// Full access in the 32-bit view: the access mask of every new registry key object.
inline constexpr REGSAM kRegistryFullAccess32 = KEY_ALL_ACCESS | KEY_WOW64_32KEY;

// One registry key object per operation. Key paths: a leading "\" makes a path absolute (taken
// from the root key without that character); any other path is relative to the current key
// when one is open, else to the root key. Trailing "\" are passed to the platform unchanged.
class RegistryKey {
 public:
  explicit RegistryKey(REGSAM access = kRegistryFullAccess32) : access_(access) {}

  HKEY RootKey() const { return root_; }
  // Closes the current key.
  void SetRootKey(HKEY root);
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM access) { access_ = access; }
  HKEY CurrentKey() const { return current_.get(); }
  // Path of the current key below the root, without a leading "\".
  const std::wstring& CurrentPath() const { return currentPath_; }

  // Opens key (created first when canCreate is true and it is missing) as the current key.
  bool OpenKey(const std::wstring& key, bool canCreate);
  // Opens key without creating it, with the first of KEY_READ, STANDARD_RIGHTS_READ |
  // KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS and KEY_QUERY_VALUE that succeeds (each with the
  // view flags of the access mask); that mask becomes the access mask.
  bool OpenKeyReadOnly(const std::wstring& key);
  void CloseKey();
  // Whether key can be opened for reading; leaves the current key as it is.
  bool KeyExists(const std::wstring& key);
  bool ValueExists(const std::wstring& name) const;

  // REG_SZ into the current key; raises SetupError "Fehler beim Setzen der Daten für '%s'".
  void WriteString(const std::wstring& name, const std::wstring& value);
  // A REG_SZ or REG_EXPAND_SZ value (unexpanded) up to its first zero; empty text when it is
  // missing or has no data. Other types raise SetupError "Ungültiger Datentyp für '%s'".
  std::wstring ReadString(const std::wstring& name) const;

  // A REG_MULTI_SZ value as a list, up to the first empty string; failures are logged.
  bool ReadStrings(const std::wstring& name, std::vector<std::wstring>& strings) const;
  bool WriteStrings(const std::wstring& name, const std::vector<std::wstring>& strings);

  // Hive files under key (RegLoadKeyW / RegUnLoadKeyW). The thread's last error is the result.
  bool LoadKey(const std::wstring& key, const std::wstring& fileName);
  bool UnLoadKey(const std::wstring& key);

 private:
  struct Target {
    HKEY base;
    std::wstring path;
    bool relativeToCurrent;
  };
  Target Resolve(const std::wstring& key) const;
  REGSAM ViewFlags() const { return access_ & (KEY_WOW64_32KEY | KEY_WOW64_64KEY); }
  bool OpenWith(const std::wstring& key, bool canCreate, REGSAM access);

  HKEY root_ = HKEY_CURRENT_USER;
  REGSAM access_;
  unique_hkey current_;
  std::wstring currentPath_;
};

// A new registry key object with that root key and access mask.
RegistryKey CreateRegistry(HKEY rootKey, REGSAM access);

// The constant's name of a predefined root key, else "not defined".
std::wstring RootKeyName(HKEY rootKey);

// One string value under HKEY_LOCAL_MACHINE (32-bit view); key is a path below it, usually
// with a leading "\". False when the key can be neither opened nor created; a value that
// cannot be set raises SetupError.
bool RegWriteString(const std::wstring& key, const std::wstring& valueName, const std::wstring& value);
// The value's text, or empty text when the key cannot be opened with full access or the value
// is missing; a value of another type than REG_SZ / REG_EXPAND_SZ raises SetupError.
std::wstring RegReadString(const std::wstring& key, const std::wstring& valueName);

// Loads the hive file fileName under keyName of rootKey; needs the backup and restore
// privileges. Logs the outcome.
bool LoadRegFile(const std::wstring& fileName, HKEY rootKey, const std::wstring& keyName);
bool UnLoadRegFile(HKEY rootKey, const std::wstring& keyName);

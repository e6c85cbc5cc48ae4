#include "tests/driver/Distribution.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/driver/Driver.h"

Distribution::Distribution(const std::wstring& name, const std::wstring& program) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  dir = std::wstring(temp) + L"setup-e2e\\" + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  RemoveTree(dir);
  std::filesystem::create_directories(std::filesystem::path(dir));
  CopyFileW((program.empty() ? BuiltSetupExe() : program).c_str(), setupExe().c_str(), FALSE);
}

Distribution::~Distribution() { RemoveTree(dir); }

void Distribution::writeFile(const std::wstring& name, const std::string& bytes) const {
  std::ofstream out(std::filesystem::path(dir + name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Distribution::readFile(const std::wstring& name) const {
  std::ifstream in(std::filesystem::path(dir + name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void RemoveTree(const std::wstring& folder) {
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(folder), ec);
}

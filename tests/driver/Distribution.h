// A fresh distribution folder for one scenario: Setup.exe and whatever else the test puts in.
#pragma once
#include <string>

class Distribution {
 public:
  // Creates an empty, unique folder below the temporary folder and copies the program (the
  // built Setup.exe unless another is given) into it as Setup.exe.
  explicit Distribution(const std::wstring& name, const std::wstring& program = {});
  ~Distribution();
  Distribution(const Distribution&) = delete;
  Distribution& operator=(const Distribution&) = delete;

  const std::wstring& folder() const { return dir; }  // ends with "\"
  std::wstring setupExe() const { return dir + L"Setup.exe"; }
  void writeFile(const std::wstring& name, const std::string& bytes) const;
  std::string readFile(const std::wstring& name) const;

 private:
  std::wstring dir;
};

// Removes a folder tree; used by scenarios to clean up targets.
void RemoveTree(const std::wstring& folder);

// The one exception type of the setup: an error that the system "raises". Window handlers catch
// it at their boundary and show its message in the default error box.
#pragma once
#include <stdexcept>
#include <string>

struct SetupError : std::runtime_error {
  explicit SetupError(std::wstring message)
      : std::runtime_error("SetupError"), text(std::move(message)) {}
  const std::wstring& message() const { return text; }

 private:
  std::wstring text;
};

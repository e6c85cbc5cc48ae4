// The translation's view of one Win32 control (or the window itself).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "support/Language.h"

class WindowComponent : public LngComponent {
 public:
  WindowComponent(HWND handle, LngKind kind, int32_t tag, HWND label = nullptr)
      : handle(handle), label(label), componentKind(kind), componentTag(tag) {}

  LngKind kind() const override { return componentKind; }
  int32_t tag() const override { return componentTag; }
  void setTag(int32_t t) override { componentTag = t; }
  std::wstring caption() const override;
  void setCaption(const std::wstring& text) override;
  std::wstring hint() const override { return hintText; }
  void setHint(const std::wstring& text) override { hintText = text; }
  void setEnabled(bool enabled) override { EnableWindow(handle, enabled); }
  void setVisible(bool visible) override;
  void setChecked(bool checked) override;
  void setMaximized(bool maximized) override { ShowWindow(handle, maximized ? SW_MAXIMIZE : SW_RESTORE); }
  std::vector<LngComponent*> ownedComponents() override { return owned; }

  std::vector<LngComponent*> owned;

 private:
  HWND handle;
  HWND label;  // the label of a labelled edit, whose caption the translation sets
  LngKind componentKind;
  int32_t componentTag;
  std::wstring hintText;
};

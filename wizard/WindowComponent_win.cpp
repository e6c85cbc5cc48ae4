#include "wizard/WindowComponent_win.h"

#include "platform/WindowText.h"

std::wstring WindowComponent::caption() const { return GetWindowTextString(label ? label : handle); }

void WindowComponent::setCaption(const std::wstring& text) { SetWindowTextString(label ? label : handle, text); }

void WindowComponent::setVisible(bool visible) {
  ShowWindow(handle, visible ? SW_SHOWNA : SW_HIDE);
  if (label) ShowWindow(label, visible ? SW_SHOWNA : SW_HIDE);
}

void WindowComponent::setChecked(bool checked) {
  SendMessageW(handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

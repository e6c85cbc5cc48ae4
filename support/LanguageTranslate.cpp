// Component translation: a tagged component takes its text and hint from the string table, and
// two-character markers in the looked-up text disable, hide, tick or maximise it.
#include "support/Language.h"

std::vector<LngComponent*> LngForms;
void (*LngPumpMessages)() = nullptr;

namespace {

// Removes the first occurrence of marker from text; true if there was one.
bool TakeMarker(std::wstring& text, const wchar_t* marker) {
  const size_t pos = text.find(marker);
  if (pos == std::wstring::npos) return false;
  text.erase(pos, 2);
  return true;
}

enum class HintOrder { None, BeforeText, AfterText };

struct KindRule {
  HintOrder hint;
  bool text;
  const wchar_t* markers;  // pairs of characters, processed in this order
};

KindRule RuleFor(LngKind kind) {
  switch (kind) {
    case LngKind::Label:
    case LngKind::StaticText:
    case LngKind::LabeledEdit:  // the markers act on the edit box; its label follows it
    case LngKind::GradientButton:
      return {HintOrder::BeforeText, true, L"###-"};
    case LngKind::CheckBox:
      return {HintOrder::BeforeText, true, L"#*#-"};
    case LngKind::Window:
      return {HintOrder::BeforeText, true, L"###+"};
    case LngKind::RadioButton:
      return {HintOrder::BeforeText, true, L"###*#-"};
    case LngKind::MenuItem:
    case LngKind::RadioGroup:
    case LngKind::SpeedButton:
    case LngKind::BitmapButton:
    case LngKind::PushButton:
      return {HintOrder::BeforeText, true, L""};
    case LngKind::GroupBox:
      return {HintOrder::AfterText, true, L""};
    case LngKind::StatusBar:
    case LngKind::GradientProgressBar:
      return {HintOrder::BeforeText, false, L""};
    case LngKind::TabSheet:
      return {HintOrder::None, true, L""};
    case LngKind::Other:
      break;
  }
  return {HintOrder::None, false, L""};
}

void ApplyMarker(LngComponent* component, std::wstring& text, const std::wstring& marker) {
  const bool found = TakeMarker(text, marker.c_str());
  switch (marker[1]) {
    case L'#': component->setEnabled(!found); break;
    case L'-': component->setVisible(!found); break;
    case L'*':
      if (found) component->setChecked(true);
      break;
    case L'+': component->setMaximized(found); break;
  }
}

void TranslateHint(LngComponent* component, int32_t id) {
  component->setHint(GetLngHint(id, component->hint()));
}

}  // namespace

void TranslateComponent(LngComponent* component, int32_t id) {
  if (!component) return;
  component->setTag(id);
  const KindRule rule = RuleFor(component->kind());
  if (rule.hint == HintOrder::BeforeText) TranslateHint(component, id);
  if (rule.text) {
    std::wstring text = GetLngString(id, component->caption());
    for (const wchar_t* m = rule.markers; *m; m += 2) ApplyMarker(component, text, std::wstring(m, 2));
    component->setCaption(text);
  }
  if (rule.hint == HintOrder::AfterText) TranslateHint(component, id);
}

void TranslateComponentTree(LngComponent* component) {
  if (!component) return;
  if (component->tag() != 0) TranslateComponent(component, component->tag());
  for (LngComponent* owned : component->ownedComponents()) TranslateComponentTree(owned);
}

void TranslateForm(LngComponent* window) {
  if (!window) return;
  if (window->tag() != 0) TranslateComponent(window, window->tag());
  for (LngComponent* owned : window->ownedComponents()) TranslateComponentTree(owned);
}

void RegisterForms(const std::vector<LngComponent*>& windows) {
  for (LngComponent* window : windows) {
    if (!window) continue;
    bool held = false;
    for (LngComponent* known : LngForms) held = held || known == window;
    if (!held) LngForms.push_back(window);
  }
}

void TranslateForms() {
  // By index: a message handler run by the pump may register further windows.
  for (size_t i = 0; i < LngForms.size(); ++i) {
    TranslateForm(LngForms[i]);
    if (LngPumpMessages) LngPumpMessages();
  }
}

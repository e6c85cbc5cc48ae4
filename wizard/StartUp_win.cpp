// The start-up sequence: creation steps and the work of the window's first activation.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "controls/Picture.h"
#include "platform/AnsiText.h"
#include "platform/FileExistence.h"
#include "platform/GdiObjects.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramPath.h"
#include "platform/Pump.h"
#include "resources/resource_ids.h"
#include "support/FileHelpers.h"
#include "support/Language.h"
#include "support/MyEXEInfoIO.h"
#include "support/Privilegien.h"
#include "support/SetupConfig.h"
#include "support/TextFormat.h"
#include "support/Utf8.h"
#include "wizard/ControlIds.h"
#include "wizard/TextFileDecode.h"
#include "wizard/WindowComponent_win.h"
#include "wizard/WizardParts_win.h"
#include "wizard/fSetupMain.h"

namespace {
bool ReadWholeFile(const std::wstring& fileName, std::string& bytes) {
  std::ifstream in(std::filesystem::path(fileName), std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::wstring DecodeTextFile(const std::string& bytes) {
  const TextFileKind kind = DetectTextEncoding(bytes);
  const std::string_view payload = std::string_view(bytes).substr(kind.bomLength);
  switch (kind.encoding) {
    case TextEncoding::Utf8: return Utf8ToWideLenient(payload);
    case TextEncoding::Utf16LE: return DecodeUtf16(payload, false);
    case TextEncoding::Utf16BE: return DecodeUtf16(payload, true);
    case TextEncoding::Ansi: break;
  }
  return AnsiToWide(payload);
}

// An edit control shows line breaks only as CR LF.
std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\r') {
      out += L"\r\n";
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else if (c == L'\n') {
      out += L"\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

struct StreamSource {
  const std::string* bytes;
  size_t offset;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
  auto* src = reinterpret_cast<StreamSource*>(cookie);
  const size_t n = std::min(static_cast<size_t>(count), src->bytes->size() - src->offset);
  memcpy(buffer, src->bytes->data() + src->offset, n);
  src->offset += n;
  *done = static_cast<LONG>(n);
  return 0;
}

void StreamRichText(HWND richEdit, const std::string& rtf) {
  StreamSource src{&rtf, 0};
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, ReadStream};
  SendMessageW(richEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
}

std::string ResourceBytes(int id) {
  size_t size = 0;
  const void* data = FindRcData(GetModuleHandleW(nullptr), id, size);
  return data ? std::string(static_cast<const char*>(data), size) : std::string();
}
}  // namespace

void SetBuiltInTexts(HWND richEdit, HWND memo) {
  StreamRichText(richEdit, ResourceBytes(IDR_TEXT_AGREEMENT));
  SetWindowTextW(memo, WithCrLf(DecodeTextFile(ResourceBytes(IDR_TEXT_NOTES))).c_str());
}

bool LoadRichTextFile(HWND richEdit, const std::wstring& fileName) {
  std::string bytes;
  if (!ReadWholeFile(fileName, bytes)) return false;
  StreamRichText(richEdit, bytes);
  return true;
}

bool LoadPlainTextFile(HWND memo, const std::wstring& fileName) {
  std::string bytes;
  if (!ReadWholeFile(fileName, bytes)) return false;
  SetWindowTextW(memo, WithCrLf(DecodeTextFile(bytes)).c_str());
  return true;
}

unsigned DefaultPrivilegeTest(unsigned mask) { return GetNewPrivileges(mask); }

void ShowSecondInstanceBox() {
  LoadLanguageBlock(ProgramFileName(), LngStrings, true, true);
  PlainMessageBox(nullptr, FormatStr(GetLngString(0, L"Addon %s - Setup"), {product::name}),
                  FormatStr(GetLngString(1001, L"Ein Setup oder Uninstaller von %s läuft bereits.\\\\Bitte warten "
                                               L"Sie, bis er beendet ist."),
                            {product::name}));
}

void TfmSetupMain::RunCreationSteps() {
  InitSetupEnvironment();
  fFirstActivate = false;
  SetWindowTextString(control(ctl::leSource), SetupConfig.sourceDir);
}

void TfmSetupMain::RunFirstActivation() {
  if (fFirstActivate) return;
  fFirstActivate = true;

  LngPumpMessages = PumpMessages;
  RegisterForms(std::vector<LngComponent*>{fFormComponent.get()});
  LoadLanguageBlock(ProgramFileName(), LngStrings, true, true);
  TranslateForms();

  if (privilegeTest(31) != 0) {
    PlainMessageBox(fHandle, GetWindowTextString(fHandle),
                    GetLngString(32, L"Keine ausreichende Rechte zum Ausführen des Setups!\\\\Bitte mit "
                                     L"Administrator Rechten erneut ausführen."));
    // The program ends without FormClose and without a question.
    DestroyWindow(fHandle);
    return;
  }

  SetWindowTextString(fHandle, FormatStr(GetLngString(0, L"Addon %s - Setup"), {product::name}));
  SetWindowTextString(control(ctl::stIntro), std::wstring(L"\r\nMit &diesem Programm installieren Sie das Addon \"") +
                                                 product::name + L"\" für Drivona 2 - Der Fahrgastsimulator");
  SetWindowTextString(control(ctl::stVersion),
                      FormatStr(GetLngString(102, L"Version 1.0 (%s)"), {GetExeFileVersion(L"0409", false)}));

  HWND sb = control(ctl::sbMain);
  SendMessageW(sb, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(product::publisherNotice));
  const SIZE digit = gdi::TextExtent(sb, reinterpret_cast<HFONT>(SendMessageW(sb, WM_GETFONT, 0, 0)), L"8");
  const bool sizeGrip = (GetWindowLongPtrW(sb, GWL_STYLE) & SBARS_SIZEGRIP) != 0;
  CopyrightSize = 37 * digit.cx + digit.cy * (sizeGrip ? 1 : 0);
  sbMainResize();

  LoadAgreementAndNotes();
  DisplayForm();
}

void TfmSetupMain::LoadAgreementAndNotes() {
  const std::wstring agreement = SetupConfig.sourceDir + L"Lizenzvertrag.rtf";
  const std::wstring notes = SetupConfig.sourceDir + L"Readme.txt";
  if (FileExists(agreement)) LoadRichTextFile(control(ctl::reLizenz), agreement);
  if (FileExists(notes)) LoadPlainTextFile(control(ctl::meReadme), notes);
}

// The uninstaller's texts: ids of its own (1100 and up, apart from the setup's) with their
// German defaults, looked up through the string table so a language block can translate them.
#pragma once
#include <string>

#include "support/Language.h"
#include "support/ProductFacts.h"
#include "support/TextFormat.h"

namespace texts {
inline std::wstring Title() { return FormatStr(GetLngString(1100, L"%s entfernen"), {product::name}); }
inline std::wstring Confirm() {
  return FormatStr(GetLngString(1101, L"Möchten Sie %s und alle zugehörigen Dateien von Ihrem Computer entfernen?"),
                   {product::name});
}
inline std::wstring Removing() { return GetLngString(1102, L"Entferne ... "); }
inline std::wstring InUse(const std::wstring& path) {
  return FormatStr(GetLngString(1103, L"Die Datei\\\\%s\\\\wird gerade verwendet. Bitte beenden Sie Drivona 2 und "
                                      L"wählen Sie Wiederholen."),
                   {path});
}
inline std::wstring Success() { return FormatStr(GetLngString(1104, L"%s wurde vollständig entfernt."), {product::name}); }
// count, then the first paths, one per line.
inline std::wstring Partly(const std::wstring& count, const std::wstring& paths) {
  return FormatStr(GetLngString(1105, L"%s wurde nicht vollständig entfernt. Nicht entfernt (%s):\\\\%s\\\\Ein "
                                      L"erneuter Aufruf des Deinstallationsprogramms setzt die Arbeit fort."),
                   {product::name, count, paths});
}
inline std::wstring NoJournal() {
  return GetLngString(1106, L"Das Protokoll der Installation (uninstall.dat) wurde nicht gefunden. Es wurde nichts entfernt.");
}
inline std::wstring ChooseFolder() {
  return GetLngString(1107, L"Bitte wählen Sie den Ordner \"Uninstall_Drivona2 Ostrauwen V1.2\" der Installation:");
}
inline std::wstring Refused(const std::wstring& why) {
  return FormatStr(GetLngString(1108, L"Das Protokoll der Installation wurde abgelehnt: %s\\\\Es wurde nichts geändert."),
                   {why});
}
inline std::wstring NotElevated() {
  return GetLngString(1109, L"Keine ausreichenden Rechte zum Entfernen!\\\\Bitte mit Administrator Rechten erneut ausführen.");
}
inline std::wstring AlreadyRunning() {
  return FormatStr(GetLngString(1110, L"Ein Setup oder Deinstallationsprogramm von %s läuft bereits."), {product::name});
}
inline std::wstring Restart() {
  return FormatStr(GetLngString(1111, L"%s wurde entfernt. Einige Dateien werden beim nächsten Neustart des Computers "
                                      L"entfernt."),
                   {product::name});
}
inline std::wstring Skipped(const std::wstring& count, const std::wstring& paths) {
  return FormatStr(GetLngString(1112, L"Abgelehnte Einträge des Protokolls (%s), nicht ausgeführt:\\\\%s"), {count, paths});
}
inline std::wstring BadSwitch(const std::wstring& arg) {
  return FormatStr(GetLngString(1113, L"Unbekannter Parameter: %s\\\\Erlaubt sind /S, /LOG=\"Datei\" und "
                                      L"/JOURNAL=\"Datei oder Ordner\"."),
                   {arg});
}
inline std::wstring HelperFailed() {
  return GetLngString(1114, L"Das Deinstallationsprogramm konnte seine Arbeitskopie im temporären Ordner nicht starten. "
                            L"Es wurde nichts geändert.");
}
inline std::wstring Kept(const std::wstring& count, const std::wstring& paths) {
  return FormatStr(GetLngString(1115, L"Behalten (%s), da seit der Installation verändert, nicht leer oder von einer "
                                      L"anderen Installation verwendet:\\\\%s"),
                   {count, paths});
}
}  // namespace texts

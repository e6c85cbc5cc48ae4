// Modal message boxes with German button captions whatever the system language.
#pragma once
#include <windows.h>

#include <string>

enum class BoxAnswer { Yes, No, Cancel, Ok, Retry };

// "Bestätigen", question symbol, buttons "&Ja", "&Nein", "&Abbrechen".
BoxAnswer ConfirmBox(HWND owner, const std::wstring& text);
// "Fehler", error symbol, button "OK".
void ErrorBox(HWND owner, const std::wstring& text);
// The default error box for an error raised inside a handler: titled with the application's title.
void DefaultErrorBox(HWND owner, const std::wstring& title, const std::wstring& text);
// A plain box with an OK button.
void PlainMessageBox(HWND owner, const std::wstring& title, const std::wstring& text);
// A question with only "&Ja" and "&Nein" under the given title.
BoxAnswer YesNoBox(HWND owner, const std::wstring& title, const std::wstring& text);
// A warning with "&Wiederholen" and "&Abbrechen" under the given title.
BoxAnswer RetryCancelBox(HWND owner, const std::wstring& title, const std::wstring& text);

// Language: every user-visible text has a numeric id and a German default. Lookups answer from
// the string table LngStrings (key=value lines) and remember a missed default for its id.
// Translations come from an optional language block at the end of the program file.
// The unit also translates the components of registered windows by their tags.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// ---- The string table -------------------------------------------------------------------------

extern std::vector<std::wstring> LngStrings;

// Key of the text of id ("0026") and of its hint ("0026h").
std::wstring LngTextKey(int32_t id);
std::wstring LngHintKey(int32_t id);

std::wstring GetLngString(int32_t id, const std::wstring& defaultText);
std::wstring GetLngHint(int32_t id, const std::wstring& defaultText);

// Replaces every two-character mark "\\" with LF CR, in place; returns how many it replaced.
int ConvertLineMarks(std::wstring& text);

// ---- The language block -----------------------------------------------------------------------
// At the very end of a file: text area (UTF-16LE, maybe scrambled), "LngB", version 1 (u16),
// total size of the block (i32, text area plus this 10-byte trailer); little-endian.

inline constexpr uint8_t LanguageBlockSeed = 0xA5;  // first byte of the scramble chain
inline constexpr size_t LanguageTrailerSize = 10;
inline constexpr uint16_t LanguageBlockVersion = 1;

// Where the text area lies, as a trailer describes it.
struct LanguageTrailer {
  uint64_t textOffset = 0;  // from the start of the file
  uint64_t textSize = 0;
};

// Checks the last 10 bytes of a file of fileSize bytes: marker, version, and a total size that
// fits into the file. Anything else is no block.
std::optional<LanguageTrailer> ParseLanguageTrailer(std::span<const uint8_t> trailer,
                                                    uint64_t fileSize);

// Turns a text area into its lines: unscrambles it (in place) if asked, reads UTF-16LE up to the
// first U+0000, drops a leading U+FEFF, splits at CR LF, CR or LF and sorts if asked.
std::vector<std::wstring> DecodeLanguageText(std::span<uint8_t> area, bool scrambled, bool sorted);

// The whole check on a file's bytes; nullopt when they end in no readable block.
std::optional<std::vector<std::wstring>> ParseLanguageBlock(std::span<const uint8_t> file,
                                                            bool scrambled, bool sorted);

// Reads the block at the end of fileName into target (replacing all its lines). False, with
// target unchanged, when the file is missing or unreadable or ends in no valid block.
bool LoadLanguageBlock(const std::wstring& fileName, std::vector<std::wstring>& target,
                       bool scrambled, bool sorted);

// plain[0] = b[0] ^ seed, plain[i] = b[i] ^ b[i-1]; in place. Always true.
bool UnscrambleLanguageBlock(uint8_t* bytes, size_t count);
// The inverse, for the tool that writes blocks.
void ScrambleLanguageBlock(uint8_t* bytes, size_t count);

// A complete block (BOM, lines each ended by CR LF, trailer) for appending to a file.
std::vector<uint8_t> BuildLanguageBlock(const std::vector<std::wstring>& lines, bool scrambled);

// Whole lines compared without regard to letter case (the user's locale on Windows): <0, 0, >0.
int CompareLngLines(const std::wstring& a, const std::wstring& b);

// ---- Component translation --------------------------------------------------------------------

enum class LngKind {
  Label, StaticText, CheckBox, Window, MenuItem, RadioGroup, GroupBox, LabeledEdit, RadioButton,
  SpeedButton, BitmapButton, PushButton, StatusBar, TabSheet, GradientProgressBar, GradientButton,
  Other
};

// A window or control as translation sees it; the window code implements it over real controls.
class LngComponent {
 public:
  virtual ~LngComponent() = default;
  virtual LngKind kind() const = 0;
  virtual int32_t tag() const = 0;
  virtual void setTag(int32_t) = 0;
  virtual std::wstring caption() const = 0;
  virtual void setCaption(const std::wstring&) = 0;
  virtual std::wstring hint() const = 0;
  virtual void setHint(const std::wstring&) = 0;
  virtual void setEnabled(bool) = 0;
  virtual void setVisible(bool) = 0;
  virtual void setChecked(bool) = 0;
  virtual void setMaximized(bool) = 0;
  virtual std::vector<LngComponent*> ownedComponents() = 0;  // in ownership order
};

extern std::vector<LngComponent*> LngForms;  // the windows TranslateForms works on
extern void (*LngPumpMessages)();  // run after each window in TranslateForms; null = nothing

void RegisterForms(const std::vector<LngComponent*>& windows);
void TranslateForms();
void TranslateForm(LngComponent* window);
void TranslateComponentTree(LngComponent* component);
void TranslateComponent(LngComponent* component, int32_t id);

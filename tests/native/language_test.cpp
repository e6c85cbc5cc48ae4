// The string table, the language block (format, loader, tool) and component translation.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <utility>

#include "support/DebugLog.h"
#include "support/Language.h"
#include "tests/LogCapture.h"

namespace fs = std::filesystem;

namespace {


class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LngStrings.clear();
    LngForms.clear();
    LngPumpMessages = nullptr;
    logged.clear();
    LogProc = Capture;
    dir = fs::temp_directory_path() /
          ("language_test_" + std::to_string(::getpid()) + "_" +
           testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override {
    LogProc = WriteDebugLog;
    LngStrings.clear();
    LngForms.clear();
    LngPumpMessages = nullptr;
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path p = dir / name;
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  fs::path dir;
};

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using Lines = std::vector<std::wstring>;

// ---- Keys and lookups -------------------------------------------------------------------------

TEST_F(LanguageTest, KeysAreZeroFilled) {
  const struct {
    int32_t id;
    const wchar_t* text;
    const wchar_t* hint;
  } cases[] = {{0, L"0000", L"0000h"},   {26, L"0026", L"0026h"},     {101, L"0101", L"0101h"},
               {905, L"0905", L"0905h"}, {1234, L"1234", L"1234h"},   {12345, L"12345", L"12345h"}};
  for (const auto& c : cases) {
    EXPECT_EQ(LngTextKey(c.id), c.text);
    EXPECT_EQ(LngHintKey(c.id), c.hint);
  }
}

TEST_F(LanguageTest, MissingTextIsLoggedOnceAndItsFirstDefaultIsKept) {
  EXPECT_EQ(GetLngString(26, L"Willkommen"), L"Willkommen");
  EXPECT_EQ(GetLngString(26, L"Willkommen"), L"Willkommen");
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0], std::make_pair(7, std::wstring(L"Missing String:    26 - Willkommen")));

  EXPECT_EQ(GetLngString(5, L"A"), L"A");
  EXPECT_EQ(GetLngString(5, L"B"), L"A");
  EXPECT_EQ(GetLngString(123456, L"wide"), L"wide");
  EXPECT_EQ(logged.back().second, L"Missing String: 123456 - wide");
  EXPECT_EQ(LngStrings, (Lines{L"0026=Willkommen", L"0005=A", L"123456=wide"}));
}

TEST_F(LanguageTest, LineMarksAreConvertedInResultsButKeptInTheTable) {
  EXPECT_EQ(GetLngString(31, L"nicht gefunden!\\\\Bitte"), L"nicht gefunden!\n\rBitte");
  EXPECT_EQ(LngStrings, (Lines{L"0031=nicht gefunden!\\\\Bitte"}));
  LngStrings = {L"0032h=a\\\\b"};
  EXPECT_EQ(GetLngHint(32, L"x"), L"a\n\rb");

  const struct {
    const wchar_t* in;
    const wchar_t* out;
    int count;
  } cases[] = {{L"", L"", 0},
               {L"a\\b", L"a\\b", 0},
               {L"\\\\", L"\n\r", 1},
               {L"\\\\\\", L"\n\r\\", 1},
               {L"\\\\\\\\", L"\n\r\n\r", 2},
               {L"a\\\\b\\\\c##", L"a\n\rb\n\rc##", 2}};
  for (const auto& c : cases) {
    std::wstring text = c.in;
    EXPECT_EQ(ConvertLineMarks(text), c.count) << c.in;
    EXPECT_EQ(text, c.out);
  }
}

TEST_F(LanguageTest, TableLinesAreFoundByTheirKeyOnly) {
  LngStrings = {L"0026=", L"0007", L"0008=a=b", L"0009H=Tipp", L"0010=##x", L" 0011=spaced"};
  EXPECT_EQ(GetLngString(8, L"d"), L"a=b");       // further "=" belong to the value
  EXPECT_EQ(GetLngHint(9, L"d"), L"Tipp");        // keys ignore letter case
  EXPECT_EQ(GetLngString(10, L"d"), L"##x");      // markers are for translation only
  EXPECT_TRUE(logged.empty());
  EXPECT_EQ(GetLngString(26, L"Willkommen"), L"Willkommen");  // empty value counts as missing
  EXPECT_EQ(GetLngString(7, L"seven"), L"seven");             // a line without "=" never matches
  EXPECT_EQ(GetLngString(11, L"eleven"), L"eleven");
  EXPECT_EQ(LngStrings, (Lines{L"0026=Willkommen", L"0007", L"0008=a=b", L"0009H=Tipp",
                               L"0010=##x", L" 0011=spaced", L"0007=seven", L"0011=eleven"}));
}

TEST_F(LanguageTest, EmptyDefaults) {
  EXPECT_EQ(GetLngHint(40, L""), L"");  // nothing stored, nothing logged
  EXPECT_TRUE(LngStrings.empty());
  EXPECT_TRUE(logged.empty());

  EXPECT_EQ(GetLngString(41, L""), L"");
  EXPECT_EQ(GetLngString(41, L""), L"");  // still missing: stored and logged again
  EXPECT_EQ(LngStrings, (Lines{L"0041="}));
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[1].second, L"Missing String:    41 - ");

  EXPECT_EQ(GetLngHint(42, L"Tipp"), L"Tipp");
  EXPECT_EQ(GetLngHint(42, L"other"), L"Tipp");
  EXPECT_EQ(logged.back(), std::make_pair(7, std::wstring(L"Missing Hint:    42 - Tipp")));
  EXPECT_EQ(LngStrings.back(), L"0042h=Tipp");
}

// ---- The block format -------------------------------------------------------------------------

// "\uFEFF0026=Hallo\r\n0022=Lizenz" in UTF-16LE, written out byte by byte.
const std::vector<uint8_t> handText = {
    0xFF, 0xFE,                                                  // BOM
    '0', 0, '0', 0, '2', 0, '6', 0, '=', 0,                      // 0026=
    'H', 0, 'a', 0, 'l', 0, 'l', 0, 'o', 0, '\r', 0, '\n', 0,    // Hallo CR LF
    '0', 0, '0', 0, '2', 0, '2', 0, '=', 0,                      // 0022=
    'L', 0, 'i', 0, 'z', 0, 'e', 0, 'n', 0, 'z', 0,              // Lizenz
};
// The trailer after those 48 bytes: "LngB", version 1, total size 58.
const std::vector<uint8_t> handTrailer = {'L', 'n', 'g', 'B', 1, 0, 58, 0, 0, 0};

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<uint8_t> Le16Text(const std::u16string& text) {
  std::vector<uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

std::vector<uint8_t> Trailer(int32_t total, uint16_t version = 1, const char* marker = "LngB") {
  std::vector<uint8_t> t(marker, marker + 4);
  t.push_back(static_cast<uint8_t>(version));
  t.push_back(static_cast<uint8_t>(version >> 8));
  for (int s = 0; s < 32; s += 8) t.push_back(static_cast<uint8_t>(static_cast<uint32_t>(total) >> s));
  return t;
}

// A plain (unscrambled) block around a text area.
std::vector<uint8_t> PlainBlock(const std::vector<uint8_t>& area) {
  return Concat({area, Trailer(static_cast<int32_t>(area.size() + 10))});
}

TEST_F(LanguageTest, UnscramblingUndoesTheByteChain) {
  const uint8_t S = LanguageBlockSeed;
  // scrambled[0] = plain[0] ^ S, scrambled[i] = plain[i] ^ scrambled[i - 1]
  const uint8_t s0 = 0x41 ^ S, s1 = 0x00 ^ s0, s2 = 0xFF ^ s1, s3 = 0x42 ^ s2;
  uint8_t bytes[] = {s0, s1, s2, s3};
  EXPECT_TRUE(UnscrambleLanguageBlock(bytes, 4));
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4), (std::vector<uint8_t>{0x41, 0x00, 0xFF, 0x42}));

  uint8_t one[] = {static_cast<uint8_t>(0x7F ^ S)};
  EXPECT_TRUE(UnscrambleLanguageBlock(one, 1));
  EXPECT_EQ(one[0], 0x7F);
  EXPECT_TRUE(UnscrambleLanguageBlock(nullptr, 0));

  std::vector<uint8_t> round(handText);
  ScrambleLanguageBlock(round.data(), round.size());
  EXPECT_NE(round, handText);
  UnscrambleLanguageBlock(round.data(), round.size());
  EXPECT_EQ(round, handText);
}

TEST_F(LanguageTest, HandWrittenBlockIsRead) {
  const std::vector<uint8_t> exe = {'M', 'Z', 0x90, 0, 'L', 'n', 'g', 'B'};
  const auto plain = Concat({exe, handText, handTrailer});
  EXPECT_EQ(ParseLanguageBlock(plain, false, false), (Lines{L"0026=Hallo", L"0022=Lizenz"}));
  EXPECT_EQ(ParseLanguageBlock(plain, false, true), (Lines{L"0022=Lizenz", L"0026=Hallo"}));

  // The same text scrambled by the chain rule, independently of the library's own scrambler.
  std::vector<uint8_t> area(handText);
  area[0] ^= LanguageBlockSeed;
  for (size_t i = 1; i < area.size(); ++i) area[i] ^= area[i - 1];
  const auto scrambled = Concat({exe, area, handTrailer});
  EXPECT_EQ(ParseLanguageBlock(scrambled, true, false), (Lines{L"0026=Hallo", L"0022=Lizenz"}));

  // From a file, with the BOM kept out of the first key.
  Lines target = {L"0026=cached default", L"0099=other"};
  ASSERT_TRUE(LoadLanguageBlock(Write("setup.exe", scrambled).wstring(), target, true, true));
  EXPECT_EQ(target, (Lines{L"0022=Lizenz", L"0026=Hallo"}));
  LngStrings = target;
  EXPECT_EQ(GetLngString(26, L"Willkommen"), L"Hallo");
  EXPECT_TRUE(logged.empty());
}

TEST_F(LanguageTest, TextAreaDecoding) {
  const struct {
    const char* name;
    std::vector<uint8_t> area;
    Lines lines;
  } cases[] = {
      {"empty area", {}, {}},
      {"only a BOM", Le16Text(u"\uFEFF"), {}},
      {"no BOM", Le16Text(u"0001=a"), {L"0001=a"}},
      {"second FEFF stays", Le16Text(u"\uFEFF\uFEFFk=v"), {L"\uFEFFk=v"}},
      {"all line breaks", Le16Text(u"a\r\nb\rc\nd\r\n"), {L"a", L"b", L"c", L"d"}},
      {"empty lines inside", Le16Text(u"a\r\n\r\n\n\rb"), {L"a", L"", L"", L"", L"b"}},
      {"ends at U+0000", Concat({Le16Text(u"0001=a\r\n"), {0, 0}, Le16Text(u"0002=hidden")}), {L"0001=a"}},
      {"odd trailing byte", Concat({Le16Text(u"k=v"), {'x'}}), {L"k=v"}},
      {"umlauts", Le16Text(u"0907=&Schlie\u00DFen"), {L"0907=&Schlie\u00DFen"}},
      {"pair of surrogates", Le16Text(u"k=\U0001F600"), {std::wstring(L"k=") + std::wstring(1, wchar_t(0x1F600))}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseLanguageBlock(PlainBlock(c.area), false, false), c.lines) << c.name;
  }
}

TEST_F(LanguageTest, SortingIsStableAndIgnoresCase) {
  const auto block = PlainBlock(Le16Text(u"0026=b\r\n0002=X\r\n0026=A\r\n0002=x\r\n0001=z\r\n0001h=Z"));
  const auto lines = ParseLanguageBlock(block, false, true);
  EXPECT_EQ(lines, (Lines{L"0001=z", L"0001h=Z", L"0002=X", L"0002=x", L"0026=A", L"0026=b"}));
  LngStrings = *lines;
  EXPECT_EQ(GetLngString(26, L"d"), L"A");  // the line that sorts first wins
}

TEST_F(LanguageTest, BadTrailersAndFilesAreRejected) {
  const auto good = Concat({{'M', 'Z'}, handText, handTrailer});
  const struct {
    const char* name;
    std::vector<uint8_t> file;
  } cases[] = {
      {"empty file", {}},
      {"shorter than a trailer", {'L', 'n', 'g', 'B', 1, 0, 9, 0, 0}},
      {"version 2", Concat({handText, Trailer(58, 2)})},
      {"version 0x0100", Concat({handText, Trailer(58, 0x100)})},
      {"other marker", Concat({handText, Trailer(58, 1, "LngA")})},
      {"lower-case marker", Concat({handText, Trailer(58, 1, "lngb")})},
      {"total 9", Concat({handText, Trailer(9)})},
      {"total 0", Concat({handText, Trailer(0)})},
      {"total negative", Concat({handText, Trailer(-1)})},
      {"total most negative", Concat({handText, Trailer(INT32_MIN)})},
      {"total beyond the file", Concat({handText, Trailer(59)})},
      {"total far beyond", Concat({handText, Trailer(INT32_MAX)})},
      {"trailer only, too large", Trailer(11)},
      {"good block cut short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
  };
  const Lines before = {L"0026=keep"};
  for (const auto& c : cases) {
    EXPECT_EQ(ParseLanguageBlock(c.file, false, false), std::nullopt) << c.name;
    Lines target = before;
    EXPECT_FALSE(LoadLanguageBlock(Write("bad.exe", c.file).wstring(), target, false, false)) << c.name;
    EXPECT_EQ(target, before) << c.name;
  }

  Lines target = before;
  EXPECT_FALSE(LoadLanguageBlock((dir / "missing.exe").wstring(), target, true, true));
  EXPECT_FALSE(LoadLanguageBlock(dir.wstring(), target, true, true));  // a folder
  EXPECT_FALSE(LoadLanguageBlock(L"", target, true, true));
  EXPECT_EQ(target, before);
  EXPECT_TRUE(logged.empty());
}

TEST_F(LanguageTest, BlockSizesAtTheEdges) {
  // Total 10: a block without text replaces the table with nothing.
  Lines target = {L"0026=old"};
  ASSERT_TRUE(LoadLanguageBlock(Write("empty.exe", Concat({{'M', 'Z'}, Trailer(10)})).wstring(),
                                target, true, true));
  EXPECT_TRUE(target.empty());
  // The block may fill the whole file.
  EXPECT_EQ(ParseLanguageBlock(Concat({handText, handTrailer}), false, false),
            (Lines{L"0026=Hallo", L"0022=Lizenz"}));
  // A file of exactly the trailer.
  EXPECT_EQ(ParseLanguageBlock(Trailer(10), true, true), Lines{});
}

TEST_F(LanguageTest, LoadsFromAPathWithNonAsciiCharacters) {
  const auto block = BuildLanguageBlock({L"0026=Gr\u00FC\u00DF Gott"}, true);
  const fs::path p = dir / fs::path(u8"Einf\u00FChrung \u20AC.exe");
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(block.data()),
                                           static_cast<std::streamsize>(block.size()));
  Lines target;
  ASSERT_TRUE(LoadLanguageBlock((dir.wstring() + L"/Einf\u00FChrung \u20AC.exe"), target, true, true));
  EXPECT_EQ(target, Lines{L"0026=Gr\u00FC\u00DF Gott"});
}

TEST_F(LanguageTest, BuiltBlocksReadBack) {
  const Lines lines = {L"0026=Welcome", L"0026h=Hint \\\\ with mark", L"0907=&Close",
                       std::wstring(L"0001=") + std::wstring(1, wchar_t(0x1F68C))};
  for (bool scrambled : {false, true}) {
    const auto block = BuildLanguageBlock(lines, scrambled);
    // BOM, then 12, 23, 11 and 7 UTF-16 units each with CR LF, then the trailer.
    EXPECT_EQ(block.size(), 2u + 2u * (14 + 25 + 13 + 9) + 10u);
    EXPECT_EQ(block[block.size() - 4], block.size());
    EXPECT_EQ(ParseLanguageBlock(Concat({{'M', 'Z'}, block}), scrambled, false), lines);
  }
  EXPECT_EQ(BuildLanguageBlock({}, true).size(), 12u);
}

// ---- The langblock tool -----------------------------------------------------------------------

int RunTool(const fs::path& exe, const fs::path& texts) {
  const std::string command = std::string("'") + LANGBLOCK_EXE + "' '" + exe.string() + "' '" +
                              texts.string() + "' >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST_F(LanguageTest, ToolAppendsAndThenReplacesTheBlock) {
  const std::vector<uint8_t> program = Bytes(std::string("MZ\x90\0program body", 16));
  const fs::path exe = Write("Setup.exe", program);

  const fs::path first = Write("en.txt", Bytes("\xEF\xBB\xBF" "0026=Welcome\r\n0907=&Close\r\n\r\n"
                                               "0031=Not found!\\\\Choose\r\n0026h=Gr\xC3\xBC\xC3\x9F" "e"));
  ASSERT_EQ(RunTool(exe, first), 0);
  Lines target;
  ASSERT_TRUE(LoadLanguageBlock(exe.wstring(), target, true, true));
  EXPECT_EQ(target, (Lines{L"0026=Welcome", L"0026h=Gr\u00FC\u00DFe", L"0031=Not found!\\\\Choose",
                           L"0907=&Close"}));
  const auto once = ReadAll(exe);
  EXPECT_TRUE(std::equal(program.begin(), program.end(), once.begin()));

  // Running it again replaces the block instead of stacking a second one.
  const fs::path second = Write("fr.txt", Bytes("0026=Bienvenue\n"));
  ASSERT_EQ(RunTool(exe, second), 0);
  ASSERT_TRUE(LoadLanguageBlock(exe.wstring(), target, true, true));
  EXPECT_EQ(target, Lines{L"0026=Bienvenue"});
  EXPECT_EQ(ReadAll(exe),
            Concat({program, BuildLanguageBlock({L"0026=Bienvenue"}, true)}));
}

TEST_F(LanguageTest, ToolRefusesBadInputAndLeavesTheProgramAlone) {
  const std::vector<uint8_t> program = Bytes("MZ program");
  const fs::path exe = Write("Setup.exe", program);
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"line without =", "0026=ok\nno equals sign\n"},
      {"empty key", "=value\n"},
      {"bad UTF-8", "0026=\xC3(\n"},
      {"overlong UTF-8", "0026=\xC0\xAF\n"},
      {"lone CR inside a line", "0026=a\rb\n"},
  };
  for (const auto& c : cases) {
    EXPECT_NE(RunTool(exe, Write("bad.txt", Bytes(c.text))), 0) << c.name;
    EXPECT_EQ(ReadAll(exe), program) << c.name;
  }
  EXPECT_NE(RunTool(exe, dir / "missing.txt"), 0);
  EXPECT_NE(RunTool(dir / "missing.exe", Write("ok.txt", Bytes("0026=x\n"))), 0);
  EXPECT_FALSE(fs::exists(dir / "missing.exe"));
  EXPECT_NE(std::system((std::string("'") + LANGBLOCK_EXE + "' >/dev/null 2>&1").c_str()), 0);
  EXPECT_EQ(ReadAll(exe), program);
}

// ---- Component translation --------------------------------------------------------------------

struct FakeComponent : LngComponent {
  FakeComponent(LngKind k, int32_t t, std::wstring c = L"", std::wstring h = L"")
      : kindValue(k), tagValue(t), captionValue(std::move(c)), hintValue(std::move(h)) {}
  LngKind kind() const override { return kindValue; }
  int32_t tag() const override { return tagValue; }
  void setTag(int32_t t) override { tagValue = t; }
  std::wstring caption() const override { return captionValue; }
  void setCaption(const std::wstring& c) override {
    captionValue = c;
    ++captionSets;
  }
  std::wstring hint() const override { return hintValue; }
  void setHint(const std::wstring& h) override {
    hintValue = h;
    ++hintSets;
  }
  void setEnabled(bool v) override { enabled = v; }
  void setVisible(bool v) override { visible = v; }
  void setChecked(bool v) override { checked = v; }
  void setMaximized(bool v) override { maximized = v; }
  std::vector<LngComponent*> ownedComponents() override { return owned; }

  LngKind kindValue;
  int32_t tagValue;
  std::wstring captionValue, hintValue;
  int captionSets = 0, hintSets = 0;
  std::optional<bool> enabled, visible, checked, maximized;
  std::vector<LngComponent*> owned;
};

TEST_F(LanguageTest, MarkersByKind) {
  using K = LngKind;
  const std::optional<bool> none;
  const struct {
    K kind;
    const wchar_t* text;  // as found in the table
    const wchar_t* caption;
    std::optional<bool> enabled, visible, checked, maximized;
  } cases[] = {
      {K::Label, L"Text#-", L"Text", true, false, none, none},
      {K::Label, L"a##b##", L"ab##", false, true, none, none},  // only the first occurrence
      {K::StaticText, L"##S#*#+", L"S#*#+", false, true, none, none},
      {K::CheckBox, L"A##B#*", L"A##B", none, true, true, none},
      {K::CheckBox, L"#-C", L"C", none, false, none, none},  // no #*: the tick is left alone
      {K::Window, L"Title", L"Title", true, none, none, false},  // normal state set either way
      {K::Window, L"T#+itle##", L"Title", false, none, none, true},
      {K::RadioButton, L"##R#*#-", L"R", false, false, true, none},
      {K::RadioButton, L"R", L"R", true, true, none, none},
      {K::LabeledEdit, L"Name##", L"Name", false, true, none, none},
      {K::GradientButton, L"#-G", L"G", true, false, none, none},
      {K::MenuItem, L"M##", L"M##", none, none, none, none},
      {K::RadioGroup, L"G#-", L"G#-", none, none, none, none},
      {K::GroupBox, L"B#*", L"B#*", none, none, none, none},
      {K::SpeedButton, L"S##", L"S##", none, none, none, none},
      {K::BitmapButton, L"B#-", L"B#-", none, none, none, none},
      {K::PushButton, L"&Weiter#+", L"&Weiter#+", none, none, none, none},
      {K::TabSheet, L"Tab##\\\\x", L"Tab##\n\rx", none, none, none, none},
  };
  for (const auto& c : cases) {
    LngStrings = {std::wstring(L"0050=") + c.text};
    FakeComponent f(c.kind, 0, L"design");
    TranslateComponent(&f, 50);
    const std::string at = testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(f.tagValue, 50) << at;
    EXPECT_EQ(f.captionValue, c.caption) << at;
    EXPECT_EQ(f.enabled, c.enabled) << at;
    EXPECT_EQ(f.visible, c.visible) << at;
    EXPECT_EQ(f.checked, c.checked) << at;
    EXPECT_EQ(f.maximized, c.maximized) << at;
  }
}

TEST_F(LanguageTest, HintsAndTextsByKind) {
  using K = LngKind;
  // Which lookups each kind makes, seen through the Missing lines in their order.
  const struct {
    K kind;
    std::vector<std::wstring> missing;
  } cases[] = {
      {K::Label, {L"Missing Hint:    60 - design hint", L"Missing String:    60 - design"}},
      {K::Window, {L"Missing Hint:    60 - design hint", L"Missing String:    60 - design"}},
      {K::GroupBox, {L"Missing String:    60 - design", L"Missing Hint:    60 - design hint"}},
      {K::StatusBar, {L"Missing Hint:    60 - design hint"}},
      {K::GradientProgressBar, {L"Missing Hint:    60 - design hint"}},
      {K::TabSheet, {L"Missing String:    60 - design"}},
      {K::Other, {}},
  };
  for (const auto& c : cases) {
    LngStrings.clear();
    logged.clear();
    FakeComponent f(c.kind, 0, L"design", L"design hint");
    TranslateComponent(&f, 60);
    std::vector<std::wstring> texts;
    for (const auto& [level, text] : logged) texts.push_back(text);
    EXPECT_EQ(texts, c.missing) << static_cast<int>(c.kind);
    EXPECT_EQ(f.tagValue, 60);
    EXPECT_EQ(f.captionValue, L"design");
    EXPECT_EQ(f.hintValue, L"design hint");
  }

  // Found texts replace caption and hint; the looked-up hint has its line marks converted.
  LngStrings = {L"0061=Weiter", L"0061h=Zum\\\\n\u00E4chsten"};
  FakeComponent button(K::PushButton, 0, L"Next", L"next step");
  TranslateComponent(&button, 61);
  EXPECT_EQ(button.captionValue, L"Weiter");
  EXPECT_EQ(button.hintValue, L"Zum\n\rn\u00E4chsten");

  // A status bar's panels are not its text.
  FakeComponent bar(K::StatusBar, 0, L"panel", L"");
  TranslateComponent(&bar, 61);
  EXPECT_EQ(bar.captionSets, 0);
  EXPECT_EQ(bar.hintValue, L"Zum\n\rn\u00E4chsten");
}

TEST_F(LanguageTest, FormsAreWalkedInOwnershipOrderByTag) {
  // window(tag 0) -> [label 10, panel(tag 0) -> [button 12 -> [check 13]], other 14]
  FakeComponent window(LngKind::Window, 0, L"Setup");
  FakeComponent label(LngKind::Label, 10, L"label");
  FakeComponent panel(LngKind::GroupBox, 0, L"panel");
  FakeComponent button(LngKind::PushButton, 12, L"button");
  FakeComponent check(LngKind::CheckBox, 13, L"check");
  FakeComponent other(LngKind::Other, 14, L"other");
  window.owned = {&label, &panel, &other};
  panel.owned = {&button};
  button.owned = {&check};
  LngStrings = {L"0010=Beschriftung", L"0013=H\u00E4kchen#*"};

  TranslateForm(nullptr);
  TranslateForm(&window);
  EXPECT_EQ(window.captionSets, 0);  // untagged: not translated, its components are
  EXPECT_EQ(panel.captionSets, 0);
  EXPECT_EQ(label.captionValue, L"Beschriftung");
  EXPECT_EQ(button.captionValue, L"button");
  EXPECT_EQ(check.captionValue, L"H\u00E4kchen");
  EXPECT_EQ(check.checked, true);
  EXPECT_EQ(other.captionSets, 0);
  EXPECT_EQ(LngStrings, (Lines{L"0010=Beschriftung", L"0013=H\u00E4kchen#*", L"0012=button"}));

  // A tagged window is translated first.
  FakeComponent tagged(LngKind::Window, 20, L"Addon - Setup");
  FakeComponent inner(LngKind::Label, 21, L"inner");
  tagged.owned = {&inner};
  logged.clear();
  TranslateForm(&tagged);
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[0].second, L"Missing String:    20 - Addon - Setup");
  EXPECT_EQ(logged[1].second, L"Missing String:    21 - inner");
  EXPECT_EQ(tagged.maximized, false);
}

std::vector<std::wstring>* pumpTrace = nullptr;
void TracePump() { pumpTrace->push_back(L"pump"); }

TEST_F(LanguageTest, RegisteredFormsAreTranslatedInOrderWithPumping) {
  FakeComponent a(LngKind::Window, 1, L"A");
  FakeComponent b(LngKind::Window, 2, L"B");
  FakeComponent c(LngKind::Window, 3, L"C");
  RegisterForms({&a, &b});
  RegisterForms({&b, nullptr, &a, &c});
  EXPECT_EQ(LngForms, (std::vector<LngComponent*>{&a, &b, &c}));

  std::vector<std::wstring> trace;
  pumpTrace = &trace;
  LogProc = [](int32_t, const std::wstring& text) { pumpTrace->push_back(text); };
  TranslateForms();  // no pump set: nothing to run between windows
  trace.clear();
  LngStrings.clear();
  LngPumpMessages = TracePump;
  TranslateForms();
  EXPECT_EQ(trace, (std::vector<std::wstring>{L"Missing String:     1 - A", L"pump",
                                              L"Missing String:     2 - B", L"pump",
                                              L"Missing String:     3 - C", L"pump"}));
  pumpTrace = nullptr;
}

}  // namespace

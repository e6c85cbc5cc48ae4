// The wizard's pure decisions: anchored layout, step table, folder texts, notes decoding.
#include <gtest/gtest.h>

#include "support/TextFormat.h"
#include "support/Utf8.h"
#include "wizard/ControlTable.h"
#include "wizard/SettingsRules.h"
#include "wizard/StepFlow.h"
#include "wizard/TextFileDecode.h"

TEST(ControlTable, AnchorsGiveTheRunTimeRectangles) {
  struct Case {
    int id;
    Rect runTime;
  };
  const Case cases[] = {
      {ctl::imTop, {8, 4, 584, 70}},        {ctl::imLeft, {8, 88, 241, 277}},
      {ctl::XiPanel2, {0, 372, 601, 69}},   {ctl::Panel1, {-1, 372, 602, 2}},
      {ctl::btBack, {336, 395, 75, 25}},    {ctl::btWeiter, {424, 395, 75, 25}},
      {ctl::btAbbrechen, {512, 395, 75, 25}}, {ctl::sbMain, {0, 441, 600, 19}},
      {ctl::Panel2, {-2, 80, 602, 2}},
  };
  for (const Case& c : cases) {
    const ControlSpec* spec = FindControl(c.id);
    ASSERT_NE(spec, nullptr) << c.id;
    EXPECT_EQ(ApplyAnchors(spec->designed, spec->anchors, kDesignedClientWidth, kDesignedClientHeight, kClientWidth,
                           kClientHeight),
              c.runTime)
        << spec->name;
  }
}

TEST(ControlTable, IdsAreUniqueAndParentsComeFirst) {
  std::vector<int> seen;
  for (const ControlSpec& c : WizardControls()) {
    EXPECT_EQ(std::count(seen.begin(), seen.end(), c.id), 0) << c.name;
    if (c.parent) EXPECT_EQ(std::count(seen.begin(), seen.end(), c.parent), 1) << c.name;
    EXPECT_GT(c.id, 2) << "1 and 2 are the dialog manager's Enter and Escape";
    seen.push_back(c.id);
  }
  // The settings page's tab order is its creation order.
  std::vector<int> settings;
  for (const ControlSpec& c : WizardControls())
    if (c.parent == ctl::gbPage6 && !(c.flags & cfNoTabStop)) settings.push_back(c.id);
  EXPECT_EQ(settings, (std::vector<int>{ctl::LeDestination, ctl::btDestPath, ctl::leSource, ctl::btSourcePath,
                                        ctl::cbSaveFiles}));
}

TEST(StepFlow, TitlesAndNextCaption) {
  EXPECT_EQ(StepFor(0), nullptr);
  EXPECT_EQ(StepFor(7), nullptr);
  EXPECT_STREQ(StepFor(6)->title, L"Installationsfortschritt");
  for (int id : {0, 5, 6, 22, 23, 25, 26, 27, 31, 32, 34, 35, 37, 101, 102, 905, 906, 907, 982, 983, 986, 987, 988})
    EXPECT_NE(kProgressTitleId, id);
  EXPECT_EQ(StepFor(4)->pageBox, 0);
  EXPECT_EQ(NextCaptionFor(5, 5), NextCaption::Finish);
  EXPECT_EQ(NextCaptionFor(3, 5), NextCaption::Continue);
  EXPECT_EQ(NextCaptionFor(6, 5), NextCaption::DisableBoth);
}

TEST(SettingsRules, FolderTexts) {
  EXPECT_EQ(WithTrailingBackslash(L"C:\\A"), L"C:\\A\\");
  EXPECT_EQ(WithTrailingBackslash(L"C:\\A\\"), L"C:\\A\\");
  EXPECT_EQ(WithTrailingBackslash(L""), L"\\");
  const std::wstring sub = L"Quellmark Media\\Drivona2 Ostrauwen\\";
  EXPECT_EQ(ProposedDestination(L"D:\\Spiele\\Drivona 2", L"C:\\Program Files", L"", sub), L"D:\\Spiele\\Drivona 2\\");
  EXPECT_EQ(ProposedDestination(L"", L"C:\\Program Files", L"", sub), L"C:\\Program Files\\" + sub);
  // Without the variable the sub path goes after whatever the field holds (empty at first).
  EXPECT_EQ(ProposedDestination(L"", std::nullopt, L"", sub), sub);
  EXPECT_EQ(DestinationAfterBrowse(L"C:\\Alt\\", L"E:\\"), L"E:\\Drivona2 Ostrauwen\\");
  EXPECT_EQ(DestinationAfterBrowse(L"C:\\Alt\\", L"E:\\Spiele"), L"E:\\Spiele\\");
  EXPECT_EQ(DestinationAfterBrowse(L"C:\\Alt\\", L""), L"C:\\Alt\\");
  EXPECT_EQ(VolumeRootOf(L"D:\\Spiele\\"), L"D:\\");
  EXPECT_TRUE(EnoughSpace(100, 100));
  EXPECT_FALSE(EnoughSpace(101, 100));
  EXPECT_FALSE(EnoughSpace(1, -1));
}

TEST(TextFileDecode, ByteOrderMarksAndUtf8) {
  EXPECT_EQ(DetectTextEncoding("\xEF\xBB\xBFx").encoding, TextEncoding::Utf8);
  EXPECT_EQ(DetectTextEncoding("\xFF\xFEx\0").encoding, TextEncoding::Utf16LE);
  EXPECT_EQ(DetectTextEncoding("\xFE\xFF\0x").encoding, TextEncoding::Utf16BE);
  EXPECT_EQ(DetectTextEncoding("\xE4").encoding, TextEncoding::Ansi);
  EXPECT_EQ(Utf8ToWideLenient("Gr\xC3\xB6\xC3\x9F" "e"), L"Größe");
  EXPECT_EQ(Utf8ToWideLenient("a\xC3"), L"a\xFFFD");          // cut off
  EXPECT_EQ(Utf8ToWideLenient("\xC0\xAF"), L"\xFFFD\xFFFD");  // overlong
  EXPECT_EQ(DecodeUtf16(std::string("\xE4\0\xF6\0", 4), false), L"äö");
  EXPECT_EQ(DecodeUtf16(std::string("\0\xE4", 2), true), L"ä");
}

TEST(TextFormat, FillsPlacesInOrder) {
  EXPECT_EQ(FormatStr(L"Addon %s - Setup", {L"X"}), L"Addon X - Setup");
  EXPECT_EQ(FormatStr(L"%s;%s;%%", {L"a"}), L"a;;%");
  EXPECT_EQ(FormatStr(L"ohne", {L"a"}), L"ohne");
}

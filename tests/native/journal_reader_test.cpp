// Reading uninstall.dat and its lossless copy back into runs, and refusing what is not a journal.
#include <gtest/gtest.h>

#include "JournalSamples.h"
#include "install/JournalReader.h"
#include "support/Utf8.h"

using namespace samples;

namespace {
size_t CountProblems(const JournalReadResult& r, JournalProblemKind kind) {
  size_t n = 0;
  for (const JournalProblem& p : r.problems) n += p.kind == kind;
  return n;
}
}  // namespace

TEST(JournalReader, AnsiAloneIsOneCompleteRun) {
  const auto lines = FirstRun();
  const JournalReadResult r = ReadJournal(AnsiOf(lines), std::nullopt, Windows1252Codec());
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.runs.size(), 1u);
  EXPECT_TRUE(r.runs[0].complete);
  EXPECT_FALSE(r.runs[0].lossless);
  EXPECT_EQ(r.runs[0].destination, kBackup);
  EXPECT_EQ(r.runs[0].entries.size(), 17u);
  EXPECT_TRUE(r.problems.empty());
  EXPECT_EQ(r.runs[0].entries[4].record.kind, RecordKind::Move);
  EXPECT_EQ(r.runs[0].entries[4].record.second, kBackup + L"Vehicles\\bus.cfg");
}

TEST(JournalReader, LosslessRunsWithAnnotationsAndANameTheCodePageLacks) {
  // The second run installs a file whose name code page 1252 cannot hold; uninstall.dat has "?".
  auto second = Header();
  second.push_back(RmDirRecord(kBackup));
  second.push_back(A(AnnotationKind::Existed));
  second.push_back(DeleteRecord(kTarget + L"T\u0159eb\u00ED\u010D.map"));
  second.push_back(Written(5, 50));
  const std::string lossless = LosslessOf(FirstRun()) + LosslessOf(second);
  const JournalReadResult r = ReadJournal(AnsiOf(second), lossless, Windows1252Codec());
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.runs.size(), 2u);
  EXPECT_TRUE(r.problems.empty());
  EXPECT_TRUE(r.runs[0].complete && r.runs[1].complete && r.runs[1].lossless);
  const JournalEntry& file = r.runs[1].entries[1];
  EXPECT_EQ(file.record.path, kTarget + L"T\u0159eb\u00ED\u010D.map");
  ASSERT_NE(file.Find(AnnotationKind::Written), nullptr);
  EXPECT_EQ(file.Find(AnnotationKind::Written)->size, 5u);
  EXPECT_TRUE(r.runs[0].entries[0].Has(AnnotationKind::Created));
}

TEST(JournalReader, LinesThatDisagreeWithUninstallDatAreDropped) {
  auto lines = FirstRun();
  std::string ansi = AnsiOf(lines);
  // Someone edited the lossless copy: its global.cfg line now names another file.
  for (auto& line : lines)
    if (line == DeleteRecord(kTarget + L"maps\\Ostrauwen\\global.cfg")) line = DeleteRecord(L"C:\\Windows\\win.ini");
  ansi += "Delete;C:\\boot.ini\r\n";  // and uninstall.dat holds a line more
  const JournalReadResult r = ReadJournal(ansi, LosslessOf(lines), Windows1252Codec());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(CountProblems(r, JournalProblemKind::Disagrees), 1u);
  EXPECT_EQ(CountProblems(r, JournalProblemKind::AnsiOnly), 1u);
  for (const JournalEntry& e : r.runs[0].entries) EXPECT_NE(e.record.path, L"C:\\Windows\\win.ini");
  EXPECT_EQ(r.runs[0].entries.size(), 16u);
}

TEST(JournalReader, KilledRunAfterAnOlderSetupsJournal) {
  // uninstall.dat of an earlier run without a lossless copy; then a run that was killed.
  const std::string ansi = AnsiOf(FirstRun());
  auto killed = Header();
  killed.push_back(RmDirRecord(kBackup));
  killed.push_back(A(AnnotationKind::Existed));
  killed.push_back(DeleteRecord(kTarget + L"new.cfg"));
  const JournalReadResult r = ReadJournal(ansi, LosslessOf(killed, false), Windows1252Codec());
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.runs.size(), 2u);
  EXPECT_FALSE(r.runs[0].lossless);
  EXPECT_TRUE(r.runs[0].complete);
  EXPECT_TRUE(r.runs[1].lossless);
  EXPECT_FALSE(r.runs[1].complete);
  EXPECT_EQ(r.runs[1].entries.size(), 2u);
}

TEST(JournalReader, HostileBytesAreRefusedLineByLine) {
  const std::string header = AnsiOf(Header());
  const struct {
    const char* what;
    std::string lossless;
    JournalProblemKind kind;
    size_t entries;
  } cases[] = {
      {"invalid UTF-8", header + "Delete;D:\\Spiele\\Drivona 2\\\xC3\x28.cfg\r\n", JournalProblemKind::Unreadable, 0},
      {"overlong slash", header + "Delete;D:\\Spiele\\Drivona 2\\\xC0\xAF.cfg\r\n", JournalProblemKind::Unreadable, 0},
      {"NUL", header + std::string("Delete;D:\\x\0y\r\n", 15), JournalProblemKind::Unreadable, 0},
      {"huge line", header + "Delete;" + std::string(200000, 'a') + "\r\n", JournalProblemKind::TooLarge, 0},
      {"unknown kind", header + "Format;C:\\\r\nDelete;D:\\Spiele\\Drivona 2\\a\r\n", JournalProblemKind::Malformed, 1},
      {"record before any header", "Delete;C:\\x\r\n" + header, JournalProblemKind::Malformed, 0},
      {"bad annotation", header + "Delete;D:\\a\r\n#Written;x;y\r\n", JournalProblemKind::Malformed, 1},
      {"lines after the end mark", header + "#End\r\nDelete;D:\\a\r\n", JournalProblemKind::Malformed, 0},
  };
  for (const auto& c : cases) {
    const JournalReadResult r = ReadJournal(std::nullopt, c.lossless, Windows1252Codec());
    ASSERT_TRUE(r.ok) << c.what;
    EXPECT_EQ(CountProblems(r, c.kind), 1u) << c.what;
    EXPECT_EQ(r.runs.back().entries.size(), c.entries) << c.what;
  }
}

TEST(JournalReader, NothingUsableIsARefusal) {
  const struct {
    const char* what;
    std::optional<std::string> ansi, lossless;
  } cases[] = {
      {"no files", std::nullopt, std::nullopt},
      {"empty files", std::string(), std::string()},
      {"no header", std::string("Delete;D:\\a\r\n"), std::nullopt},
      {"header cut short", std::string("Program=x\r\nQuelle=y\r\n"), std::nullopt},
      {"header out of order", std::string("Program=x\r\nDestination=D:\\U\\\r\nQuelle=y\r\nDelete;D:\\a\r\n"), std::nullopt},
      {"binary", std::string("\x80\x81\x8D\x8F\x90\x9D", 6), std::string("\xFF\xFE\x00\x00", 4)},
      {"too large", std::string(journal_file::maxFileBytes + 1, 'a'), std::nullopt},
  };
  for (const auto& c : cases) {
    const JournalReadResult r = ReadJournal(c.ansi, c.lossless, Windows1252Codec());
    EXPECT_FALSE(r.ok) << c.what;
    EXPECT_FALSE(r.refusal.empty()) << c.what;
  }
}

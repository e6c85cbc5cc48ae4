// The plain mode's command line and corpus, shared by the common main and drivers with their own:
//   <driver> [executions [corpus folder [seed]]]
#pragma once
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct PlainRun {
  unsigned long long executions = 100000;
  std::string corpus;  // empty: none
  unsigned long long seed = 20150307;
};

inline PlainRun ParsePlainRun(int argc, char** argv) {
  PlainRun run;
  if (argc > 1) run.executions = std::strtoull(argv[1], nullptr, 10);
  if (argc > 2) run.corpus = argv[2];
  if (argc > 3) run.seed = std::strtoull(argv[3], nullptr, 10);
  return run;
}

// The files of the corpus folder, in name order so that a seed repeats a run.
inline std::vector<std::string> ReadCorpus(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  std::error_code ec;
  if (!folder.empty())
    for (const auto& e : fs::directory_iterator(folder, ec))
      if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  std::vector<std::string> corpus;
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return corpus;
}

// Golden transcript runner: one case folder holds the defaults file, the typed answers, the
// exact expected console bytes and the exact expected storage files. The run is compared
// byte for byte; on a difference the actual files are written beside the build and shown
// as a unified diff.
//
// A case folder:
//   answers             console input, one answer a line
//   CuploDEMO.DEF       the defaults file (absent: the run starts without one)
//   expected.out        console output
//   expected.err        error stream (optional; otherwise it must be empty)
//   expected.status     exit status (optional; otherwise 0)
//   before/NAME         files in the working folder before the run (optional)
//   about               what the case shows (not compared)
//   any other file      a file the run must leave in the working folder, exactly
//
// golden_runner CASE [ACTUAL_DIR]    compare
// golden_runner --update CASE        rewrite the expected files from the run (check by hand!)
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "dialogue.hpp"
#include "input/lcinput.hpp"

namespace fs = std::filesystem;

namespace {

const std::set<std::string> kCaseFiles = {"answers",      "CuploDEMO.DEF",   "expected.out",
                                          "expected.err", "expected.status", "about"};

// The example dialogues mark the free maker-notice line of the banners with this text.
constexpr std::string_view kMakerPlaceholder =
    "<the maker-notice line: free text, indented 16 blanks>";

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void spill(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string with_maker_notice(std::string text) {
  for (std::size_t at = text.find(kMakerPlaceholder); at != std::string::npos;
       at = text.find(kMakerPlaceholder, at)) {
    text.replace(at, kMakerPlaceholder.size(), cuplo::input::kMakerNotice);
  }
  return text;
}

struct Expected {
  std::string name;
  std::string content;
};

}  // namespace

int main(int argc, char** argv) {
  const bool update = argc == 3 && std::string(argv[1]) == "--update";
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: golden_runner CASE [ACTUAL_DIR] | --update CASE\n";
    return 64;
  }
  const fs::path folder = update ? argv[2] : argv[1];
  const fs::path actual_dir =
      !update && argc == 3 ? fs::path(argv[2]) / folder.filename() : fs::path();

  cuplo::testing::MemoryFiles files;
  if (fs::exists(folder / "CuploDEMO.DEF")) {
    files.files["CuploDEMO.DEF"] = slurp(folder / "CuploDEMO.DEF");
  }
  if (fs::is_directory(folder / "before")) {
    for (const auto& entry : fs::directory_iterator(folder / "before")) {
      files.files[entry.path().filename().string()] = slurp(entry.path());
    }
  }
  std::vector<Expected> expected_files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && kCaseFiles.count(name) == 0) {
      expected_files.push_back({name, with_maker_notice(slurp(entry.path()))});
    }
  }

  const cuplo::testing::Outcome outcome =
      cuplo::testing::run_dialogue(slurp(folder / "answers"), files);

  if (update) {
    spill(folder / "expected.out", outcome.console);
    if (!outcome.error.empty()) spill(folder / "expected.err", outcome.error);
    if (outcome.status != 0)
      spill(folder / "expected.status", std::to_string(outcome.status) + "\n");
    for (const std::string& name : files.written) spill(folder / name, files.files[name]);
    std::cout << "updated " << folder << " (status " << outcome.status << ")\n";
    return 0;
  }

  bool same = true;
  auto compare = [&](const std::string& what, const std::string& want, const std::string& got) {
    if (want == got) return;
    same = false;
    std::cerr << "MISMATCH: " << what << '\n';
    if (actual_dir.empty()) return;
    spill(actual_dir / "expected" / what, want);
    spill(actual_dir / "actual" / what, got);
    const std::string diff = "diff -u '" + (actual_dir / "expected" / what).string() + "' '" +
                             (actual_dir / "actual" / what).string() + "' 1>&2";
    if (std::system(diff.c_str()) == -1) std::cerr << "(diff unavailable)\n";
  };

  compare("expected.out", with_maker_notice(slurp(folder / "expected.out")), outcome.console);
  compare("expected.err",
          fs::exists(folder / "expected.err") ? slurp(folder / "expected.err") : std::string(),
          outcome.error);
  const std::string status =
      fs::exists(folder / "expected.status") ? slurp(folder / "expected.status") : "0\n";
  compare("expected.status", status, std::to_string(outcome.status) + "\n");

  std::set<std::string> unexpected = files.written;
  for (const Expected& file : expected_files) {
    unexpected.erase(file.name);
    const auto found = files.files.find(file.name);
    compare(file.name, file.content, found == files.files.end() ? std::string() : found->second);
  }
  for (const std::string& name : unexpected) {
    same = false;
    std::cerr << "MISMATCH: the run wrote an unexpected file " << name << '\n';
  }
  return same ? 0 : 1;
}

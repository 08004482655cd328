#include "transcript.hpp"

#include <map>
#include <set>

#include "input/lcinput.hpp"

namespace cuplo::testing {
namespace {

const std::string kRule = "      " + std::string(72, '-') + "\r\n";
const std::string kBannerStart = "\r\n" + kRule + "      Cuplo (v. 1.0)";
const std::string kMenuStart = "\r\n      Interdigitated Coupler calculations completed.";
const std::string kNotice = "      Output data stored in User filename: ";
const std::string kDiagnostics = "\r\n               ERROR DETECTED: ";
const std::string kHeadsRule = "               " + std::string(54, '-') + "\r\n";
constexpr std::size_t kBannerRecords = 7;

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string trimmed(const std::string& name) {
  const std::size_t end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

}  // namespace

std::vector<ConsolePass> console_passes(const std::string& console) {
  std::vector<ConsolePass> passes;
  for (std::size_t start = console.find(kBannerStart); start != std::string::npos;) {
    const std::size_t menu = console.find(kMenuStart, start);
    if (menu == std::string::npos) break;
    ConsolePass pass;
    pass.segment = console.substr(start, menu - start);
    // The notice, when present, is the last record before the menu.
    const std::size_t last = pass.segment.rfind("\r\n", pass.segment.size() - 3);
    if (last != std::string::npos && pass.segment.compare(last + 2, kNotice.size(), kNotice) == 0) {
      pass.stored_name = pass.segment.substr(last + 2 + kNotice.size(), input::kNameLength);
      pass.segment.resize(last + 2);
    }
    passes.push_back(pass);
    start = console.find(kBannerStart, menu);
  }
  return passes;
}

std::vector<std::string> stored_forms(const std::string& segment) {
  const std::size_t diagnostics = segment.find(kDiagnostics);
  if (diagnostics == std::string::npos) return {segment};

  std::size_t banner_end = 0;
  for (std::size_t k = 0; k < kBannerRecords; ++k)
    banner_end = segment.find("\r\n", banner_end) + 2;
  const std::string shortened = segment.substr(0, banner_end) + segment.substr(diagnostics + 2);

  const bool synthesis = segment.find("Strip Width and Spacing Synthesis") != std::string::npos;
  const bool frequency = segment.find("Frequency Analysis") != std::string::npos;
  const bool four_port = segment.find("DLTAN =") != std::string::npos;
  if (synthesis) return {shortened};
  const bool before_result = ends_with(segment.substr(0, diagnostics + 2), kHeadsRule);
  if (frequency && before_result) {
    // A dispersion table from 0 GHz that fails at its first frequency looks the same on the
    // console as one that fails before it, but has stored its title.
    if (four_port) return {shortened};
    return {shortened, segment};
  }
  return {segment};
}

std::string check_storage(const std::vector<ConsolePass>& passes,
                          const std::vector<PassPlan>& plans, const MemoryFiles& folder,
                          const std::string& defaults) {
  if (plans.size() < passes.size()) return "more passes on the console than answered";

  // The passes stored in each file. A name opened earlier in the run is continued when the
  // user comes back to it, so a file holds every pass stored under its name.
  std::map<std::string, std::vector<std::size_t>> sessions;
  for (std::size_t k = 0; k < passes.size(); ++k) {
    if (plans[k].stored != passes[k].stored_name.has_value()) {
      return "pass " + std::to_string(k + 1) + ": storage notice " +
             (plans[k].stored ? "missing" : "where no storage was asked");
    }
    if (!plans[k].stored) continue;
    if (*passes[k].stored_name != plans[k].name) {
      return "pass " + std::to_string(k + 1) + ": stored under '" + *passes[k].stored_name +
             "', the user asked for '" + plans[k].name + "'";
    }
    sessions[trimmed(plans[k].name)].push_back(k);
  }

  for (const auto& [name, indices] : sessions) {
    const auto file = folder.files.find(name);
    if (file == folder.files.end()) return "storage file '" + name + "' was never written";
    const std::string& content = file->second;
    std::size_t cursor = 0;
    for (const std::size_t k : indices) {
      bool matched = false;
      for (const std::string& form : stored_forms(passes[k].segment)) {
        if (content.compare(cursor, form.size(), form) == 0) {
          cursor += form.size();
          matched = true;
          break;
        }
      }
      if (!matched) {
        return "storage file '" + name + "' differs from pass " + std::to_string(k + 1) +
               " at byte " + std::to_string(cursor);
      }
    }
    if (cursor != content.size()) {
      return "storage file '" + name + "' holds " + std::to_string(content.size() - cursor) +
             " bytes more than its passes";
    }
  }

  for (const std::string& name : folder.written) {
    if (sessions.count(name) == 0 && name != "full.txt") {
      return "a file was written under '" + name + "' without a stored pass";
    }
  }
  const auto shipped = folder.files.find(std::string(input::kDefaultsName));
  if (shipped == folder.files.end() || shipped->second != defaults) {
    return "the defaults file was changed";
  }
  return {};
}

}  // namespace cuplo::testing

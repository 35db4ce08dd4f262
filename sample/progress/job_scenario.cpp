#include "job_scenario.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace pgsim {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return out;
}

// A decimal or 0x-hexadecimal 32-bit number.
std::optional<std::uint32_t> Number(std::string_view text) {
  std::string s(text);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(s.c_str(), &end, 0);
  if (*end != '\0' || v > UINT_MAX || s[0] == '-') return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

std::optional<std::vector<std::uint32_t>> Numbers(std::string_view list) {
  std::vector<std::uint32_t> out;
  while (!list.empty()) {
    const size_t comma = list.find(',');
    const auto n = Number(list.substr(0, comma));
    if (!n) return std::nullopt;
    out.push_back(*n);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  return out;
}

// UTF-8 to UTF-16 (characters up to U+FFFF; others become '?').
std::u16string Utf16(std::string_view s) {
  std::u16string out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out.push_back(c);
      ++i;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
      out.push_back(static_cast<char16_t>((c & 0x1F) << 6 | (s[i + 1] & 0x3F)));
      i += 2;
    } else if ((c & 0xF0) == 0xE0 && i + 2 < s.size()) {
      out.push_back(static_cast<char16_t>((c & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F)));
      i += 3;
    } else {
      out.push_back(u'?');
      ++i;
    }
  }
  return out;
}

bool ParseJob(const bqsim::IniSection& section, size_t index, JobScript& job, std::string& error) {
  auto fail = [&](const std::string& key, const char* what) {
    error = "[Job" + std::to_string(index + 1) + "] " + key + ": " + what;
    return false;
  };
  job.libJobId = static_cast<std::uint32_t>(0x100 + index + 1);
  for (const auto& [key, value] : section) {
    if (key == "document") job.document = Utf16(value);
    else if (key == "papersource") job.paperSource = Utf16(value);
    else if (key == "mediatype") job.mediaType = Utf16(value);
    else if (key == "papersize") job.paperSize = Utf16(value);
    else if (key == "duration" && value == "never") job.durationMs.reset();
    else if (key == "onpause" || key == "onresume" || key == "ondelete") {
      if (value != "ignore" && value != "pause" && value != "resume" && value != "end") return fail(key, "pause, resume, end or ignore");
      (key == "onpause" ? job.pauses : key == "onresume" ? job.resumes : job.deletes) = value != "ignore";
    } else if (key == "host") {
      // kind:hexdata
      const size_t colon = value.find(':');
      const auto kind = Number(value.substr(0, colon));
      const auto data = colon == std::string::npos ? std::nullopt : bqsim::ParseHexBytes(value.substr(colon + 1));
      if (!kind || *kind > 0xFF || !data || data->size() > 32) return fail(key, "kind:hex data of at most 32 bytes");
      std::string host(34, '\0');
      host[0] = static_cast<char>(data->size());
      host[1] = static_cast<char>(*kind);
      std::copy(data->begin(), data->end(), host.begin() + 2);
      job.host = host;
    } else if (key == "papercodes" || key == "inkset" || key == "sheets") {
      const auto list = Numbers(value);
      if (!list || std::any_of(list->begin(), list->end(), [](std::uint32_t v) { return v > 0xFFFF; }))
        return fail(key, "a list of 16-bit numbers");
      if (key == "papercodes") {
        if (list->size() != 3) return fail(key, "three numbers");
        job.paperCodes.emplace(list->begin(), list->end());
      } else if (key == "sheets") {
        if (list->size() != 2) return fail(key, "two numbers");
        job.sheets[0] = (*list)[0];
        job.sheets[1] = (*list)[1];
      } else {
        if (list->empty() || list->size() > 32) return fail(key, "count and up to 31 entries");
        job.inkSet.emplace(list->begin(), list->end());
      }
    } else {
      const auto n = Number(value);
      if (!n) return fail(key, "not a number (or an unknown key)");
      if (key == "winjobid") job.winJobId = *n;
      else if (key == "libjobid") job.libJobId = *n;
      else if (key == "progress") job.total = *n;
      else if (key == "duration") job.durationMs = *n;
      else if (key == "status") job.status = *n;
      else if (key == "info104") job.info104 = *n;
      else if (key == "wait") job.wait = *n;
      else if (key == "waitafter") job.waitAfterMs = *n;
      else return fail(key, "unknown key");
    }
  }
  if (job.winJobId == 0) return fail("WinJobId", "missing");
  return true;
}

}  // namespace

std::optional<bqsim::Injected> JobScenario::InjectionFor(std::string_view operation, std::optional<std::uint32_t> info,
                                                         unsigned nthCall, unsigned nthInfoCall) const {
  const std::string name = Lower(operation);
  std::vector<std::string> keys;
  if (info) {
    const std::string withInfo = name + ":" + std::to_string(*info);
    keys.push_back(withInfo + "@" + std::to_string(nthInfoCall));
    keys.push_back(withInfo);
  }
  keys.push_back(name + "@" + std::to_string(nthCall));
  keys.push_back(name);
  for (const std::string& key : keys) {
    if (const auto it = inject.find(key); it != inject.end()) return it->second;
  }
  return std::nullopt;
}

std::optional<JobScenario> ParseJobScenario(std::string_view text, std::string& error) {
  const bqsim::IniFile ini = bqsim::ParseIni(text);
  JobScenario scenario;
  for (size_t i = 0;; ++i) {
    const auto section = ini.find("job" + std::to_string(i + 1));
    if (section == ini.end()) break;
    JobScript job;
    if (!ParseJob(section->second, i, job, error)) return std::nullopt;
    scenario.jobs.push_back(std::move(job));
  }
  if (const auto section = ini.find("inject"); section != ini.end()) {
    for (const auto& [key, value] : section->second) {
      const std::string name = key.substr(0, key.find_first_of(":@"));
      if (std::none_of(std::begin(kOperations), std::end(kOperations), [&](const char* op) { return Lower(op) == name; })) {
        error = "[Inject] " + key + ": not an operation";
        return std::nullopt;
      }
      const auto injected = bqsim::ParseInjected(value);
      if (!injected) {
        error = "[Inject] " + key + ": neither a number nor seh";
        return std::nullopt;
      }
      scenario.inject[key] = *injected;
    }
  }
  return scenario;
}

}  // namespace pgsim

// morvane-cli lint: checks icons, cursors and animated cursors for what makes them look wrong
// or fail in some program, and optionally writes a mechanically corrected copy.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_json.h"
#include "formats/file_io.h"
#include "formats/icon_lint.h"
#include "image/icon_document.h"
#include "image/size_sets.h"

namespace morvane::cli {

const char* const kLintUsage =
    "usage: morvane-cli lint FILE... [--json] [--fix OUT] [--sizes SET]\n"
    "\n"
    "Checks .ico, .cur and .ani files, and the icon and cursor groups of programs and icon\n"
    "libraries: directory entries that disagree with their images, images\n"
    "that overlap or are cut short, bytes after the data, duplicate entries, 256-pixel images not\n"
    "stored as 8-bit RGBA PNG, 32-bit images whose alpha is all zero, cursor hotspots outside\n"
    "the image, animated cursors whose header, rates or sequence disagree with the frames, frames\n"
    "of different sizes, and texts that are not Windows-1252. Each finding is printed as\n"
    "  FILE: LEVEL ID (WHERE): SENTENCE\n"
    "with LEVEL error or warning and ID a stable identifier.\n"
    "\n"
    "  --json       print one JSON list with an object per file\n"
    "  --fix OUT    write a corrected copy to OUT (a folder when several files are given):\n"
    "               directory fields, byte counts and layout re-derived from the images,\n"
    "               256-pixel images as 8-bit RGBA PNG, animated-cursor counts made to agree;\n"
    "               unreadable images are left out (icons, cursors and animated cursors only)\n"
    "  --sizes SET  report the sizes of SET that are missing: windows, windows-scaled,\n"
    "               favicon, cursor, or sizes separated by commas\n"
    "\n"
    "exit status: 0 no errors found (warnings may be), 4 errors found, 1 wrong usage,\n"
    "2 a file cannot be read or is not an icon, cursor or animated cursor, 3 --fix cannot write.\n";

namespace {

const OptionSpec kSpec{{"--fix", "--sizes"}, {"--json", "--help"}};

struct FileReport {
  std::filesystem::path path;
  std::optional<LintReport> report;
  std::optional<Failure> failure;
  std::filesystem::path fixedTo;
  std::vector<std::string> changes;
};

std::string_view KindName(LintedKind kind) {
  switch (kind) {
    case LintedKind::kCursor:
      return ObjectKindName(ObjectKind::kCursor);
    case LintedKind::kAnimatedCursor:
      return ObjectKindName(ObjectKind::kAnimatedCursor);
    case LintedKind::kLibrary:
      return ObjectKindName(ObjectKind::kLibrary);
    case LintedKind::kProgram:
      return ObjectKindName(ObjectKind::kExecutable);
    default:
      return ObjectKindName(ObjectKind::kIcon);
  }
}

// Writes the corrected copy; a failure to read the fix is an input failure, to write it an
// output failure.
std::optional<Failure> WriteFix(Bytes data, const std::filesystem::path& out, FileReport& r) {
  Result<LintFixResult> fixed = FixIconData(data);
  if (!fixed.ok()) return Failure{kExitInput, Describe(r.path, fixed.status().message())};
  const Status written = WriteFileAtomic(out, fixed->data);
  if (!written.ok()) return Failure{kExitOutput, Describe(out, written.message())};
  r.fixedTo = out;
  r.changes = std::move(fixed->changes);
  return std::nullopt;
}

FileReport LintOne(const std::filesystem::path& path, const LintOptions& options,
                   const std::optional<std::filesystem::path>& fixTo) {
  FileReport r{path, {}, {}, {}, {}};
  Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes.ok()) {
    r.failure = Failure{kExitInput, Describe(path, bytes.status().message())};
    return r;
  }
  Result<LintReport> report = LintIconData(*bytes, options);
  if (!report.ok()) {
    r.failure = Failure{kExitInput, Describe(path, report.status().message())};
    return r;
  }
  r.report = std::move(*report);
  if (fixTo) r.failure = WriteFix(*bytes, *fixTo, r);
  return r;
}

void PrintText(const FileReport& r) {
  const std::string file = r.path.string();
  for (const LintFinding& f : r.report->findings) {
    std::printf("%s: %s %s (%s): %s\n", file.c_str(), LintLevelName(f.level).data(), f.id.c_str(),
                f.where.c_str(), f.message.c_str());
  }
  std::printf("%s: %s, %d errors, %d warnings\n", file.c_str(), KindName(r.report->kind).data(),
              r.report->Count(LintLevel::kError), r.report->Count(LintLevel::kWarning));
  if (!r.fixedTo.empty()) {
    for (const std::string& change : r.changes) {
      std::printf("%s: fixed: %s\n", file.c_str(), change.c_str());
    }
    std::printf("%s: corrected copy written to %s\n", file.c_str(), r.fixedTo.string().c_str());
  }
}

void WriteJson(JsonWriter& json, const FileReport& r) {
  json.BeginObject();
  json.Key("file");
  json.String(r.path.string());
  if (!r.report) {
    json.Key("error");
    json.String(r.failure->message);
    json.EndObject();
    return;
  }
  json.Key("kind");
  json.String(KindName(r.report->kind));
  json.Key("errors");
  json.Int(r.report->Count(LintLevel::kError));
  json.Key("warnings");
  json.Int(r.report->Count(LintLevel::kWarning));
  json.Key("findings");
  json.BeginArray();
  for (const LintFinding& f : r.report->findings) {
    json.BeginObject();
    json.Key("id");
    json.String(f.id);
    json.Key("level");
    json.String(LintLevelName(f.level));
    json.Key("where");
    json.String(f.where);
    json.Key("message");
    json.String(f.message);
    json.EndObject();
  }
  json.EndArray();
  if (!r.fixedTo.empty()) {
    json.Key("fixed");
    json.String(r.fixedTo.string());
    json.Key("changes");
    json.BeginArray();
    for (const std::string& change : r.changes) json.String(change);
    json.EndArray();
  }
  json.EndObject();
}

std::optional<std::filesystem::path> FixTarget(const ParsedArgs& p, const std::string& input) {
  const std::string* out = p.Value("--fix");
  if (!out) return std::nullopt;
  if (p.positional.size() == 1) return std::filesystem::path(*out);
  return std::filesystem::path(*out) / std::filesystem::path(input).filename();
}

}  // namespace

int RunLint(const std::vector<std::string>& args) {
  const ParsedArgs p = ParseArgs(args, kSpec);
  if (p.Has("--help")) {
    std::fputs(kLintUsage, stdout);
    return kExitOk;
  }
  if (!p.error.empty()) return UsageError(p.error, kLintUsage);
  if (p.positional.empty()) return UsageError("no file given", kLintUsage);
  LintOptions options;
  if (const std::string* v = p.Value("--sizes")) {
    const auto sizes = ParseSizeList(*v, 1, IconDocument::kMaxFrameSide);
    if (!sizes) return UsageError("--sizes needs a set name or sizes of 1 to 256", kLintUsage);
    options.requiredSizes = *sizes;
  }
  if (const std::string* out = p.Value("--fix");
      out && p.positional.size() > 1 && !std::filesystem::is_directory(*out)) {
    return UsageError("--fix needs an existing folder when several files are given", kLintUsage);
  }

  const bool json = p.Has("--json");
  JsonWriter list;
  list.BeginArray();
  int status = kExitOk;
  for (const std::string& input : p.positional) {
    const FileReport r = LintOne(input, options, FixTarget(p, input));
    if (json) WriteJson(list, r);
    if (r.report && !json) PrintText(r);
    if (r.failure) {
      Report(*r.failure);
      status = std::max(status, r.failure->exitCode);
    } else if (r.report->HasErrors() && status == kExitOk) {
      status = kExitFindings;
    }
  }
  list.EndArray();
  if (json) std::printf("%s\n", list.Text().c_str());
  return status;
}

}  // namespace morvane::cli

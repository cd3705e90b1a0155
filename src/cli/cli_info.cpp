// morvane-cli info: what an object holds, as text or as one JSON object.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_json.h"

namespace morvane::cli {

const char* const kInfoUsage =
    "usage: morvane-cli info FILE [--json]\n"
    "\n"
    "Shows the object's kind (icon, cursor, animated-cursor, picture, executable, library), its\n"
    "frames (size, colour format, rate), hotspot, title and author; for programs and libraries\n"
    "their icon and cursor groups with each image's size and format.\n"
    "\n"
    "  --json   print one JSON object\n";

namespace {

struct FrameInfo {
  int width = 0;
  int height = 0;
  int format = 32;
  int rate = 0;
};

struct GroupInfo {
  bool cursor = false;
  ResourceName id;
  std::vector<FrameInfo> images;
};

struct ObjectSummary {
  std::string file;
  ObjectKind kind = ObjectKind::kIcon;
  Hotspot hotspot;
  std::string title;
  std::string author;
  std::vector<FrameInfo> frames;
  std::vector<GroupInfo> groups;
};

void Summarise(const OpenOutcome& outcome, ObjectSummary& summary) {
  summary.hotspot = outcome.hotspot;
  summary.title = outcome.title;
  summary.author = outcome.author;
  for (const LoadedFrame& frame : outcome.frames) {
    summary.frames.push_back(
        {frame.image.GetWidth(), frame.image.GetHeight(), BitsOf(frame.format), frame.rate});
  }
  if (outcome.action == OpenAction::kImportPicture) {
    summary.frames.push_back(
        {outcome.picture.GetWidth(), outcome.picture.GetHeight(), outcome.pictureDepth, 0});
  }
  if (outcome.action == OpenAction::kChooseObject) {
    for (const ObjectInfo& object : outcome.objects.List()) {
      GroupInfo group{object.kind == GroupKind::kCursor, object.name, {}};
      for (const ObjectImageInfo& image : object.images) {
        group.images.push_back({image.width, image.height, BitsOf(image.format), 0});
      }
      summary.groups.push_back(std::move(group));
    }
  }
}

// One frame or group image as a JSON object; a group's images have no rate.
void WriteImageJson(JsonWriter& json, const FrameInfo& f, bool withRate) {
  json.BeginObject();
  json.Key("width");
  json.Int(f.width);
  json.Key("height");
  json.Int(f.height);
  json.Key("format");
  json.Int(f.format);
  if (withRate) {
    json.Key("rate");
    json.Int(f.rate);
  }
  json.EndObject();
}

void PrintJson(const ObjectSummary& s) {
  JsonWriter json;
  json.BeginObject();
  json.Key("file");
  json.String(s.file);
  json.Key("kind");
  json.String(ObjectKindName(s.kind));
  json.Key("hotspot");
  if (s.hotspot.x == kNotSet) {
    json.Null();
  } else {
    json.BeginArray();
    json.Int(s.hotspot.x);
    json.Int(s.hotspot.y);
    json.EndArray();
  }
  json.Key("title");
  json.String(s.title);
  json.Key("author");
  json.String(s.author);
  json.Key("frames");
  json.BeginArray();
  for (const FrameInfo& f : s.frames) WriteImageJson(json, f, true);
  json.EndArray();
  json.Key("groups");
  json.BeginArray();
  for (const GroupInfo& g : s.groups) {
    json.BeginObject();
    json.Key("type");
    json.String(g.cursor ? "cursor" : "icon");
    json.Key("id");
    if (g.id.isNumber) {
      json.Int(g.id.number);
    } else {
      json.String(g.id.text);
    }
    json.Key("images");
    json.BeginArray();
    for (const FrameInfo& f : g.images) WriteImageJson(json, f, false);
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  std::printf("%s\n", json.Text().c_str());
}

void PrintText(const ObjectSummary& s) {
  std::printf("file: %s\nkind: %s\n", s.file.c_str(), std::string(ObjectKindName(s.kind)).c_str());
  if (s.hotspot.x != kNotSet) std::printf("hotspot: %d,%d\n", s.hotspot.x, s.hotspot.y);
  if (!s.title.empty()) std::printf("title: %s\n", s.title.c_str());
  if (!s.author.empty()) std::printf("author: %s\n", s.author.c_str());
  if (!s.frames.empty()) std::printf("frames: %zu\n", s.frames.size());
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    const FrameInfo& f = s.frames[i];
    std::printf("  %zu: %dx%d, %d bits", i, f.width, f.height, f.format);
    if (s.kind == ObjectKind::kAnimatedCursor) std::printf(", rate %d", f.rate);
    std::printf("\n");
  }
  if (!s.groups.empty()) std::printf("groups: %zu\n", s.groups.size());
  for (std::size_t i = 0; i < s.groups.size(); ++i) {
    const GroupInfo& g = s.groups[i];
    std::printf("  %zu: %s %s:", i, g.cursor ? "cursor" : "icon", g.id.ToString().c_str());
    for (const FrameInfo& f : g.images) std::printf(" %dx%d/%d", f.width, f.height, f.format);
    std::printf("\n");
  }
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, {{}, {"--json", "--help"}});
  if (parsed.Has("--help")) {
    std::fputs(kInfoUsage, stdout);
    return kExitOk;
  }
  if (!parsed.error.empty()) return UsageError(parsed.error, kInfoUsage);
  if (parsed.positional.size() != 1) return UsageError("info takes one FILE", kInfoUsage);

  const std::filesystem::path path = parsed.positional[0];
  const ReadResult read = ReadObject(path);
  if (read.failure) return Report(*read.failure);
  ObjectSummary summary;
  summary.file = path.string();
  summary.kind = KindOfPath(path);
  Summarise(read.outcome, summary);
  if (parsed.Has("--json")) {
    PrintJson(summary);
  } else {
    PrintText(summary);
  }
  return kExitOk;
}

}  // namespace morvane::cli

#include "editing/step_script.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "editing/gradient.h"

namespace morvane {
namespace {

struct ToolName {
  std::string_view name;
  CanvasTool tool;
};

constexpr ToolName kTools[] = {
    {"pen", CanvasTool::kPen},
    {"line", CanvasTool::kLine},
    {"rectangle", CanvasTool::kRectangle},
    {"filled-rectangle", CanvasTool::kFilledRectangle},
    {"ellipse", CanvasTool::kEllipse},
    {"filled-ellipse", CanvasTool::kFilledEllipse},
    {"polyline", CanvasTool::kPolyline},
    {"polygon", CanvasTool::kPolygon},
    {"fill", CanvasTool::kFill},
    {"replace-colors", CanvasTool::kReplaceColors},
    {"blur", CanvasTool::kBlur},
    {"eraser", CanvasTool::kEraser},
    {"pick-color", CanvasTool::kPickColor},
};

// Points far outside any image only cost time; they are refused.
constexpr long long kMaxCoordinate = 65536;
constexpr std::size_t kMaxPointsPerStep = 100000;
constexpr std::size_t kMaxSteps = 100000;

enum class SettingKind {
  kSpec,
  kColour,
  kColour2,
  kLock,
  kAntiAlias,
  kAntiAliasLevel,
  kTransparentMode,
  kGradUsing,
  kPenTip,
  kEraserTip,
  kColours,
  kPositions,
};

struct NamedSetting {
  std::string key;
  SettingKind kind;
  const ToolSettingSpec* spec = nullptr;
};

std::string ScriptKey(std::string_view storedName) {
  std::string key;
  for (const char c : storedName) {
    key += c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return key;
}

const std::vector<NamedSetting>& Settings() {
  static const std::vector<NamedSetting> all = [] {
    std::vector<NamedSetting> v = {
        {"color", SettingKind::kColour},
        {"color-2", SettingKind::kColour2},
        {"lock", SettingKind::kLock},
        {"anti-aliasing", SettingKind::kAntiAlias},
        {"anti-aliasing-level", SettingKind::kAntiAliasLevel},
        {"transparent-mode", SettingKind::kTransparentMode},
        {"grad-using", SettingKind::kGradUsing},
        {"pen-tip", SettingKind::kPenTip},
        {"eraser-tip", SettingKind::kEraserTip},
        {"colors", SettingKind::kColours},
        {"colors-pos", SettingKind::kPositions},
    };
    for (const ToolSettingSpec& spec : ToolSettingSpecs()) {
      v.push_back({ScriptKey(spec.name), SettingKind::kSpec, &spec});
    }
    return v;
  }();
  return all;
}

std::optional<Pixel> ParseColour(const JsonValue& v) {
  if (!v.IsString() || v.text.size() != 9 || v.text[0] != '#') return std::nullopt;
  Pixel p = 0;
  for (std::size_t i = 1; i < 9; ++i) {
    const char c = v.text[i];
    int d;
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      d = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      d = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    p = p << 4 | static_cast<Pixel>(d);
  }
  return p;
}

std::optional<long long> ParseBool(const JsonValue& v) {
  if (v.IsBool()) return v.boolean ? 1 : 0;
  long long n;
  if (v.GetInt(0, 1, n)) return n;
  return std::nullopt;
}

std::optional<std::uint32_t> ParseLock(const JsonValue& v) {
  if (!v.IsString()) return std::nullopt;
  std::uint32_t mask = 0;
  for (const char c : v.text) {
    switch (c) {
      case 'a':
        mask |= kLockAlpha;
        break;
      case 'r':
        mask |= kLockRed;
        break;
      case 'g':
        mask |= kLockGreen;
        break;
      case 'b':
        mask |= kLockBlue;
        break;
      default:
        return std::nullopt;
    }
  }
  return mask;
}

}  // namespace

struct DrawScript::Setting {
  SettingKind kind;
  const ToolSettingSpec* spec = nullptr;
  long long value = 0;
  std::vector<Pixel> colours;
  std::vector<double> positions;
};

struct DrawScript::Step {
  std::vector<Setting> settings;
  std::optional<CanvasTool> tool;
  std::vector<ImagePoint> points;
  MouseButton button = MouseButton::kLeft;
  unsigned mods = 0;
};

DrawScript::DrawScript() = default;
DrawScript::~DrawScript() = default;
std::size_t DrawScript::StepCount() const {
  return steps_.size();
}

std::vector<std::string_view> ScriptToolNames() {
  std::vector<std::string_view> names;
  for (const ToolName& t : kTools) names.push_back(t.name);
  return names;
}

std::vector<std::string> ScriptSettingKeys() {
  std::vector<std::string> keys;
  for (const NamedSetting& s : Settings()) keys.push_back(s.key);
  return keys;
}

namespace {

using Step = DrawScript::Step;
using Setting = DrawScript::Setting;

// Each reader returns an empty string or the reason the value is refused.
std::string ReadTool(const JsonValue& v, Step& step) {
  if (v.IsString()) {
    for (const ToolName& t : kTools) {
      if (t.name == v.text) {
        step.tool = t.tool;
        return {};
      }
    }
  }
  return "unknown tool (one of pen, line, rectangle, filled-rectangle, ellipse, filled-ellipse, "
         "polyline, polygon, fill, replace-colors, blur, eraser, pick-color)";
}

std::string ReadPoints(const JsonValue& v, Step& step) {
  if (!v.IsArray() || v.items.empty() || v.items.size() > kMaxPointsPerStep) {
    return "needs a list of 1 to " + std::to_string(kMaxPointsPerStep) + " points [[x, y], ...]";
  }
  for (const JsonValue& p : v.items) {
    long long x, y;
    if (!p.IsArray() || p.items.size() != 2 ||
        !p.items[0].GetInt(-kMaxCoordinate, kMaxCoordinate, x) ||
        !p.items[1].GetInt(-kMaxCoordinate, kMaxCoordinate, y)) {
      return "each point must be [x, y] with whole numbers within +-" +
             std::to_string(kMaxCoordinate);
    }
    step.points.push_back({static_cast<int>(x), static_cast<int>(y)});
  }
  return {};
}

std::string ReadModifiers(const JsonValue& v, Step& step) {
  if (!v.IsArray()) return "needs a list of \"shift\" and \"ctrl\"";
  for (const JsonValue& m : v.items) {
    if (m.IsString() && m.text == "shift") {
      step.mods |= kModShift;
    } else if (m.IsString() && m.text == "ctrl") {
      step.mods |= kModCtrl;
    } else {
      return "needs a list of \"shift\" and \"ctrl\"";
    }
  }
  return {};
}

std::string ReadStops(const JsonValue& v, Setting& s) {
  if (!v.IsArray() || v.items.size() < 2 || v.items.size() > 256) {
    return "needs a list of 2 to 256 entries";
  }
  for (const JsonValue& item : v.items) {
    if (s.kind == SettingKind::kColours) {
      const auto c = ParseColour(item);
      if (!c) return "needs colours as \"#AARRGGBB\"";
      s.colours.push_back(*c);
    } else {
      if (!item.IsNumber() || item.number < 0 || item.number > 1) {
        return "needs positions from 0 to 1";
      }
      s.positions.push_back(item.number);
    }
  }
  return {};
}

std::string ReadSetting(const NamedSetting& named, const JsonValue& v, Setting& s) {
  s.kind = named.kind;
  s.spec = named.spec;
  switch (named.kind) {
    case SettingKind::kSpec: {
      const ToolSettingSpec& spec = *named.spec;
      if (spec.minimum == 0 && spec.maximum == 1) {
        if (const auto b = ParseBool(v)) {
          s.value = *b;
          return {};
        }
        return "needs true or false";
      }
      if (v.GetInt(spec.minimum, spec.maximum, s.value)) return {};
      return "needs a whole number from " + std::to_string(spec.minimum) + " to " +
             std::to_string(spec.maximum);
    }
    case SettingKind::kColour:
    case SettingKind::kColour2:
      if (const auto c = ParseColour(v)) {
        s.value = *c;
        return {};
      }
      return "needs a colour as \"#AARRGGBB\"";
    case SettingKind::kLock:
      if (const auto m = ParseLock(v)) {
        s.value = *m;
        return {};
      }
      return "needs letters of \"argb\"";
    case SettingKind::kAntiAlias:
    case SettingKind::kTransparentMode:
    case SettingKind::kGradUsing:
      if (const auto b = ParseBool(v)) {
        s.value = *b;
        return {};
      }
      return "needs true or false";
    case SettingKind::kAntiAliasLevel:
      if (v.GetInt(1, 16, s.value)) return {};
      return "needs a whole number from 1 to 16";
    case SettingKind::kPenTip:
    case SettingKind::kEraserTip:
      if (v.GetInt(0, 4, s.value)) return {};
      return "needs a tip shape from 0 to 4";
    case SettingKind::kColours:
    case SettingKind::kPositions:
      return ReadStops(v, s);
  }
  return "unknown setting";
}

// The gradient stops of a step: "colors" and "colors-pos" come together, as one list each of
// the same length, with positions that do not decrease.
std::string CheckStops(const Step& step, std::string& key) {
  const Setting* colours = nullptr;
  const Setting* positions = nullptr;
  for (const Setting& s : step.settings) {
    if (s.kind == SettingKind::kColours) colours = &s;
    if (s.kind == SettingKind::kPositions) positions = &s;
  }
  if (!colours && !positions) return {};
  key = colours ? "colors" : "colors-pos";
  if (!colours || !positions) return "\"colors\" and \"colors-pos\" must be given together";
  if (colours->colours.size() != positions->positions.size()) {
    return "\"colors\" and \"colors-pos\" must have the same length";
  }
  key = "colors-pos";
  if (!std::is_sorted(positions->positions.begin(), positions->positions.end())) {
    return "positions must not decrease";
  }
  return {};
}

std::string ReadStep(const JsonValue& v, Step& step, std::string& key) {
  if (!v.IsObject()) return "a step must be an object";
  for (std::size_t m = 0; m < v.keys.size(); ++m) {
    const std::string& name = v.keys[m];
    const JsonValue& value = v.items[m];
    key = name;
    std::string problem;
    if (name == "tool") {
      problem = ReadTool(value, step);
    } else if (name == "points") {
      problem = ReadPoints(value, step);
    } else if (name == "button") {
      if (value.IsString() && (value.text == "left" || value.text == "right")) {
        step.button = value.text == "left" ? MouseButton::kLeft : MouseButton::kRight;
      } else {
        problem = "needs \"left\" or \"right\"";
      }
    } else if (name == "modifiers") {
      problem = ReadModifiers(value, step);
    } else {
      const auto& all = Settings();
      const auto found = std::find_if(all.begin(), all.end(),
                                      [&](const NamedSetting& s) { return s.key == name; });
      if (found == all.end()) return "unknown key";
      Setting s;
      problem = ReadSetting(*found, value, s);
      step.settings.push_back(std::move(s));
    }
    if (!problem.empty()) return problem;
  }
  if (step.tool && step.points.empty()) {
    key = "points";
    return "a tool needs its points";
  }
  if (!step.tool && !step.points.empty()) {
    key = "tool";
    return "points need a tool";
  }
  return CheckStops(step, key);
}

void ApplySetting(EditCanvas& canvas, const Setting& s, GradientSettings& pendingStops) {
  switch (s.kind) {
    case SettingKind::kSpec:
      s.spec->set(canvas.tools, static_cast<int>(s.value));
      break;
    case SettingKind::kColour:
      canvas.firstColour = static_cast<Pixel>(s.value);
      break;
    case SettingKind::kColour2:
      canvas.secondColour = static_cast<Pixel>(s.value);
      break;
    case SettingKind::kLock:
      canvas.draw.lockMask = static_cast<std::uint32_t>(s.value);
      break;
    case SettingKind::kAntiAlias:
      canvas.draw.antiAlias = s.value != 0;
      break;
    case SettingKind::kAntiAliasLevel:
      canvas.draw.antiAliasLevel = static_cast<int>(s.value);
      break;
    case SettingKind::kTransparentMode:
      canvas.draw.transparentMode = s.value != 0;
      break;
    case SettingKind::kGradUsing:
      canvas.draw.gradientFill = s.value != 0;
      break;
    case SettingKind::kPenTip:
      canvas.tools.penTip = static_cast<TipShape>(s.value);
      break;
    case SettingKind::kEraserTip:
      canvas.tools.eraserTip = static_cast<TipShape>(s.value);
      break;
    case SettingKind::kColours:
      pendingStops.stops.resize(s.colours.size());
      for (std::size_t i = 0; i < s.colours.size(); ++i)
        pendingStops.stops[i].colour = s.colours[i];
      break;
    case SettingKind::kPositions:
      pendingStops.stops.resize(s.positions.size());
      for (std::size_t i = 0; i < s.positions.size(); ++i) {
        pendingStops.stops[i].position = s.positions[i];
      }
      break;
  }
}

// Brings the rendered gradient in line with the gradient values, as the Fill panel does.
void SyncGradient(EditCanvas& canvas) {
  canvas.draw.gradientAreaFill = canvas.tools.gradient.areaFill == 0;
  if (canvas.draw.gradientFill) {
    RenderGradient(canvas.tools.gradient, canvas.draw.gradientImage);
  } else {
    canvas.draw.gradientImage.Release();
  }
}

void RunStroke(EditCanvas& canvas, const Step& step) {
  const int tool = static_cast<int>(*step.tool);
  canvas.SetTool(tool);
  if (tool == static_cast<int>(CanvasTool::kPolyline) ||
      tool == static_cast<int>(CanvasTool::kPolygon)) {
    for (const ImagePoint& p : step.points) {
      canvas.Press(p, MouseButton::kLeft, step.mods);
      canvas.Release(p, MouseButton::kLeft, step.mods);
    }
    canvas.Key(CanvasKey::kEnter, step.points.back());
    return;
  }
  canvas.Press(step.points.front(), step.button, step.mods);
  for (std::size_t i = 1; i < step.points.size(); ++i) canvas.Move(step.points[i], step.mods);
  canvas.Release(step.points.back(), step.button, step.mods);
}

}  // namespace

ScriptParseResult ParseDrawScript(std::string_view text) {
  ScriptParseResult result;
  JsonParseResult json = ParseJson(text);
  if (!json.ok) {
    result.error = "the script is not valid JSON " + json.error;
    return result;
  }
  if (!json.value.IsArray()) {
    result.error = "the script must be a JSON array of steps";
    return result;
  }
  if (json.value.items.size() > kMaxSteps) {
    result.error = "the script has more than " + std::to_string(kMaxSteps) + " steps";
    return result;
  }
  auto script = std::make_unique<DrawScript>();
  for (std::size_t i = 0; i < json.value.items.size(); ++i) {
    Step step;
    std::string key;
    const std::string problem = ReadStep(json.value.items[i], step, key);
    if (!problem.empty()) {
      result.error = "step " + std::to_string(i + 1) +
                     (key.empty() ? "" : ": key \"" + key + "\"") + ": " + problem;
      return result;
    }
    script->steps_.push_back(std::move(step));
  }
  result.script = std::move(script);
  return result;
}

void DrawScript::Run(EditCanvas& canvas) const {
  for (const Step& step : steps_) {
    if (!step.settings.empty()) {
      GradientSettings stops = canvas.tools.gradient;
      for (const Setting& s : step.settings) ApplySetting(canvas, s, stops);
      canvas.tools.gradient.stops = stops.stops;
      SyncGradient(canvas);
    }
    if (step.tool) RunStroke(canvas, step);
  }
}

void ResetCanvasSettings(EditCanvas& canvas) {
  const DrawSettings fresh;
  canvas.draw.antiAlias = fresh.antiAlias;
  canvas.draw.antiAliasLevel = fresh.antiAliasLevel;
  canvas.draw.transparentMode = fresh.transparentMode;
  canvas.draw.lockMask = fresh.lockMask;
  canvas.draw.gradientFill = fresh.gradientFill;
  canvas.draw.gradientAreaFill = fresh.gradientAreaFill;
  canvas.draw.gradientImage.Release();
  canvas.tools = ToolSettings{};
  const EditCanvas defaults;
  canvas.firstColour = defaults.firstColour;
  canvas.secondColour = defaults.secondColour;
  canvas.clearColour = defaults.clearColour;
}

}  // namespace morvane

#include "shell/commands.h"

#include <array>
#include <memory>
#include <string>

#include "image/color_format.h"
#include "image/size_sets.h"

namespace morvane {
namespace {

using K = MenuEntryKind;

MenuEntry Cmd(int id, std::string_view text, std::string_view shortcut = {}) {
  return {K::kCommand, id, text, shortcut, false, {}};
}
MenuEntry Check(int id, std::string_view text, std::string_view shortcut = {}) {
  return {K::kCommand, id, text, shortcut, true, {}};
}
MenuEntry Sep() {
  return {K::kSeparator, 0, {}, {}, false, {}};
}
MenuEntry Popup(std::string_view text, std::vector<MenuEntry> children) {
  return {K::kPopup, 0, text, {}, false, std::move(children)};
}
MenuEntry History(int first, std::string_view text) {
  return {K::kHistory, first, text, {}, false, {}};
}

constexpr std::array<int, 24> kAddImage = {
    33085, 33084, 33083, 33082, 32943, 32942, 33033, 32941,  // true-color with alpha
    33089, 33088, 33087, 33086, 32946, 32945, 33034, 32944,  // 256 colors
    32949, 32948, 33035, 32947,                              // 16 colors
    32952, 32951, 33036, 32950};                             // true-color
constexpr std::array<int, 22> kFromSelected = {
    33096, 33095, 33094, 33009, 33008, 33028, 33007,  // true-color with alpha
    33092, 33091, 33090, 33012, 33011, 33029, 33010,  // 256 colors
    33015, 33014, 33030, 33013,                       // 16 colors
    33018, 33017, 33031, 33016};                      // true-color

constexpr std::array<int, 4> kSizeSets = {33112, 33113, 33114, 33115};

constexpr std::array<int, 9> kSizes = {16, 24, 32, 48, 64, 72, 96, 128, 256};
constexpr std::array<int, 9> kSizeCommands = {32957, 33032, 32958, 32959, 32960,
                                              32961, 32962, 32963, 33055};

// Texts of generated items must outlive the tree, which is built once.
std::string_view Keep(std::string text) {
  static std::vector<std::unique_ptr<std::string>> store;
  store.push_back(std::make_unique<std::string>(std::move(text)));
  return *store.back();
}

std::string_view FormatSuffix(ColorFormat format) {
  switch (format) {
    case ColorFormat::kTrueColorAlpha:
      return "true-color with alpha";
    case ColorFormat::k256Colors:
      return "256 colors";
    case ColorFormat::k16Colors:
      return "16 colors";
    case ColorFormat::kTrueColor:
      return "true-color";
    case ColorFormat::kMono:
      return "monochrome";
  }
  return {};
}

std::string_view FormatPopupText(ColorFormat format) {
  switch (format) {
    case ColorFormat::kTrueColorAlpha:
      return "True-color with alpha channel";
    case ColorFormat::k256Colors:
      return "256 colors";
    case ColorFormat::k16Colors:
      return "16 colors";
    case ColorFormat::kTrueColor:
      return "True-color";
    case ColorFormat::kMono:
      return "Monochrome";
  }
  return {};
}

// One sub-popup per colour format, items "n x n (format)".
std::vector<MenuEntry> FormatPopups(std::span<const FrameFormatItem> items,
                                    std::span<const int> ids) {
  std::vector<MenuEntry> popups;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const FrameFormatItem item = items[i];
    if (i == 0 || items[i - 1].format != item.format)
      popups.push_back(Popup(FormatPopupText(item.format), {}));
    const std::string text = std::to_string(item.size) + " x " + std::to_string(item.size) + " (" +
                             std::string(FormatSuffix(item.format)) + ")";
    popups.back().children.push_back(Cmd(ids[i], Keep(text)));
  }
  return popups;
}

std::vector<MenuEntry> SizeItems() {
  std::vector<MenuEntry> items;
  for (std::size_t i = 0; i < kSizes.size(); ++i) {
    const int n = kSizes[i];
    std::string_view shortcut;
    if (n == 16) shortcut = "Shift+F1";
    if (n == 32) shortcut = "Shift+F2";
    if (n == 48) shortcut = "Shift+F3";
    if (n == 64) shortcut = "Shift+F4";
    std::string text = std::to_string(n) + " x " + std::to_string(n);
    if (!shortcut.empty()) text += "\t" + std::string(shortcut);
    items.push_back(Cmd(kSizeCommands[i], Keep(text), shortcut));
  }
  items.push_back(Sep());
  items.push_back(Cmd(command::kCustomSize, "Custom size ..."));
  return items;
}

MenuEntry FileMenu() {
  return Popup("&File", {Cmd(32881, "New icon"),
                         Cmd(32882, "New cursor"),
                         Cmd(32883, "New ani-cursor"),
                         Cmd(32927, "New library"),
                         Sep(),
                         Cmd(32874, "Open object ...\tF3", "F3"),
                         Cmd(32875, "Search object ...\tCtrl+F3", "Ctrl+F3"),
                         Cmd(32876, "Import from image ...\tAlt+F3", "Alt+F3"),
                         Cmd(32924, "Open library ..."),
                         Sep(),
                         Cmd(32884, "Save object ...\tF2", "F2"),
                         Cmd(33077, "Save object as ..."),
                         Cmd(32885, "Save current image ...\tCtrl+F2", "Ctrl+F2"),
                         Cmd(32886, "Save image list ...\tAlt+F2", "Alt+F2"),
                         Cmd(command::kExportPng, "Export PNG"),
                         Cmd(command::kExportGif, "Export GIF"),
                         Cmd(command::kExportPngGif, "Export PNG && GIF"),
                         Cmd(32925, "Save library"),
                         Cmd(32926, "Save as ICL library ..."),
                         Sep(),
                         Cmd(33045, "Install Photshop Plug-in ..."),
                         Cmd(33053, "Customize shell icons ..."),
                         Sep(),
                         History(history_command::kIcons, "Icons history"),
                         History(history_command::kCursors, "Cursors history"),
                         History(history_command::kExecutables, "Executables history"),
                         History(history_command::kImages, "Images history"),
                         History(history_command::kLibraries, "Libraries history"),
                         Sep(),
                         Cmd(57665, "Exit\tAlt+F4", "Alt+F4")});
}

MenuEntry EditMenu() {
  return Popup("&Edit", {Cmd(32879, "Undo\tCtrl+Z", "Ctrl+Z"),
                         Cmd(32880, "Redo\tCtrl+Y", "Ctrl+Y"),
                         Sep(),
                         Cmd(32877, "Copy\tCtrl+C", "Ctrl+C"),
                         Cmd(32934, "Cut\tCtrl+X", "Ctrl+X"),
                         Cmd(32878, "Paste\tCtrl+V", "Ctrl+V"),
                         Cmd(33020, "Paste as new image"),
                         Sep(),
                         Cmd(32922, "Clear all\tAlt+C", "Alt+C"),
                         Cmd(32986, "Fill by first brush color"),
                         Sep(),
                         Cmd(32987, "Select all\tCtrl+A", "Ctrl+A"),
                         Cmd(32988, "Remove selection\tCtrl+D", "Ctrl+D"),
                         Sep(),
                         Cmd(33040, "Associations ..."),
                         Cmd(32970, "Options ...\tF12", "F12"),
                         {K::kLanguage, 0, "Language", {}, false, {}}});
}

MenuEntry DrawMenu() {
  return Popup(
      "&Draw",
      {Check(32904, "Anti-aliasing\tAlt+A", "Alt+A"),
       Check(32905, "Transparent mode\tAlt+T", "Alt+T"),
       Popup("Lock channels",
             {Check(33041, "Lock RED channel"), Check(33042, "Lock GREEN channel"),
              Check(33043, "Lock BLUE channel"), Check(33044, "Lock ALPHA channel")}),
       Sep(),
       Check(32983, "Solid fill"),
       Check(32984, "Gradient fill\tG", "G"),
       Sep(),
       Popup("Colors",
             {Cmd(32976, "First brush color ..."), Cmd(32978, "Transp first brush color"),
              Cmd(32977, "Second brush color ..."), Cmd(32979, "Transp second brush color")}),
       Sep(),
       Check(32907, "Pen\tP", "P"),
       Check(32911, "Line\tL", "L"),
       Check(32912, "Rectangle\tR", "R"),
       Check(32913, "Filled rectangle\tShift+R", "Shift+R"),
       Check(32914, "Ellipse\tE", "E"),
       Check(32915, "Filled ellipse\tShift+E", "Shift+E"),
       Check(32916, "Polyline\tW", "W"),
       Check(32917, "Polygon\tShift+W", "Shift+W"),
       Check(32918, "Fill\tF", "F"),
       Check(32920, "Text\tT", "T"),
       Check(33066, "Eraser\tC", "C"),
       Check(32906, "Select rectangle area\tS", "S"),
       Check(32919, "Replace colors"),
       Check(32921, "Blur"),
       Check(32923, "Pick color\tI", "I")});
}

MenuEntry EffectsMenu() {
  return Popup("Effe&cts", {Cmd(32887, "Brightness - Intensity - Contrast ...\tF5", "F5"),
                            Cmd(32888, "Hue - Luminance - Saturation ...\tF6", "F6"),
                            Cmd(33023, "Colorize ..."),
                            Cmd(32889, "Posterize ..."),
                            Cmd(33024, "Invert"),
                            Cmd(33025, "Opacity ..."),
                            Sep(),
                            Cmd(32890, "Shadow ..."),
                            Cmd(33049, "3D Shadow ..."),
                            Cmd(32891, "Bevel Boss ..."),
                            Cmd(33037, "Aqua ..."),
                            Cmd(33069, "3D Rotate ..."),
                            Sep(),
                            Cmd(32892, "Blur ...\tF7", "F7"),
                            Cmd(32893, "Custom blur ..."),
                            Cmd(33022, "Smart blur ..."),
                            Cmd(33046, "Sharpen ..."),
                            Cmd(33064, "Emboss ..."),
                            Sep(),
                            Cmd(32894, "Flip horizontal"),
                            Cmd(32895, "Flip vertical"),
                            Cmd(32896, "Rotate 90\u00B0 CW"),
                            Cmd(32897, "Rotate 90\u00B0 CCW"),
                            Cmd(32898, "Rotate 180\u00B0"),
                            Cmd(32899, "Custom rotate ...")});
}

// "windows (256, 48, 32, 24, 16)", one item per named set.
std::vector<MenuEntry> SizeSetItems() {
  std::vector<MenuEntry> items;
  for (std::size_t i = 0; i < SizeSets().size() && i < kSizeSets.size(); ++i) {
    std::string text(SizeSets()[i].name);
    for (std::size_t k = 0; k < SizeSets()[i].sizes.size(); ++k) {
      text += (k == 0 ? " (" : ", ") + std::to_string(SizeSets()[i].sizes[k]);
    }
    items.push_back(Cmd(kSizeSets[i], Keep(text + ")")));
  }
  return items;
}

MenuEntry ObjectMenu() {
  return Popup("&Object", {Check(32936, "Icon"),
                           Check(32937, "Cursor"),
                           Check(32938, "Ani-cursor"),
                           Sep(),
                           Cmd(33019, "Create standard formats from selected"),
                           Cmd(33075, "Complete standard formats from existings"),
                           Cmd(32935, "Duplicate image\tAlt+D", "Alt+D"),
                           Popup("Add image", FormatPopups(AddImageItems(), kAddImage)),
                           Popup("Create image from selected",
                                 FormatPopups(CreateImageFromSelectedItems(), kFromSelected)),
                           Popup("Create size set from selected", SizeSetItems()),
                           Cmd(32953, "Delete image(s)"),
                           Sep(),
                           Cmd(33065, "Sort For Windows XP"),
                           Sep(),
                           Check(32989, "Ani-cursor preview"),
                           Cmd(32940, "Ani-cursor properties ..."),
                           Cmd(32956, "Set hotspot point for cursor"),
                           Sep(),
                           Cmd(32928, "Add icon to library"),
                           Cmd(32929, "Delete icon from library ...")});
}

MenuEntry ImageMenu() {
  return Popup("&Image", {Cmd(33021, "Crop"), Popup("Size", SizeItems()),
                          Popup("Color format", {Cmd(32965, "True-color with alpha channel"),
                                                 Cmd(32966, "True-color"), Cmd(32967, "256 colors"),
                                                 Cmd(32968, "16 system colors (dithered) ..."),
                                                 Cmd(32969, "Monochrome")}),
                          Sep(), Cmd(32954, "Move up\tCtrl+Up", "Ctrl+Up"),
                          Cmd(32955, "Move down\tCtrl+Down", "Ctrl+Down")});
}

MenuEntry ViewMenu() {
  return Popup(
      "&View",
      {Cmd(32932, "Zoom in\tGray +", "Num++"), Cmd(32933, "Zoom out\tGray -", "Num+-"),
       Cmd(32930, "Max zoom\tGray *", "Num+*"), Cmd(32931, "Fit to area"), Sep(),
       Popup("Background colors", {Cmd(32990, "Navigator background color ..."),
                                   Cmd(32991, "Images list background color ..."),
                                   Cmd(32980, "Edit area background color ...")}),
       Check(33039, "Grid on edit area"), Sep(), Check(33111, "Preview pane"),
       Cmd(33110, "Check icon ..."), Sep(),
       Popup("Toolbars", {Check(32908, "Effects toolbar"), Check(32909, "Library toolbar"),
                          Check(32910, "Navigator toolbar"), Check(32981, "History of colors"),
                          Check(32982, "Standart 16 colors")}),
       Sep(), Cmd(32985, "Rebuild icon cache")});
}

MenuEntry HelpMenu() {
  return Popup("&Help", {Cmd(57670, "Index"), Cmd(57664, "About ...")});
}

void Collect(const std::vector<MenuEntry>& entries, std::vector<const MenuEntry*>& out) {
  for (const MenuEntry& entry : entries) {
    if (entry.kind == K::kCommand) out.push_back(&entry);
    Collect(entry.children, out);
  }
}

}  // namespace

const std::vector<MenuEntry>& MainMenu() {
  static const std::vector<MenuEntry> menu = {FileMenu(),   EditMenu(),  DrawMenu(), EffectsMenu(),
                                              ObjectMenu(), ImageMenu(), ViewMenu(), HelpMenu()};
  return menu;
}

std::vector<const MenuEntry*> AllCommands() {
  std::vector<const MenuEntry*> out;
  Collect(MainMenu(), out);
  return out;
}

const MenuEntry* FindCommand(int id) {
  for (const MenuEntry* entry : AllCommands())
    if (entry->id == id) return entry;
  return nullptr;
}

std::span<const int> AddImageCommands() {
  return kAddImage;
}
std::span<const int> CreateFromSelectedCommands() {
  return kFromSelected;
}

std::span<const int> SizeSetCommands() {
  return kSizeSets;
}

int SizeCommand(int size) {
  for (std::size_t i = 0; i < kSizes.size(); ++i)
    if (kSizes[i] == size) return kSizeCommands[i];
  return 0;
}

int SizeOfCommand(int id) {
  for (std::size_t i = 0; i < kSizes.size(); ++i)
    if (kSizeCommands[i] == id) return kSizes[i];
  return 0;
}

}  // namespace morvane

// The Python plug-ins for GIMP 3 and Krita. Both save the picture to a private temporary PNG
// and run the editor with "--import FILE" as an argument list, never through a shell; the
// editor hands it to a running editor or opens it, and its exit status tells failure.
#include "shell/plugin_installer.h"

namespace morvane {

std::string PythonStringLiteral(std::string_view text) {
  std::string literal = "\"";
  for (unsigned char ch : text) {
    if (ch == '\\' || ch == '"') {
      literal += '\\';
      literal += static_cast<char>(ch);
    } else if (ch < 0x20 || ch == 0x7F) {
      static const char* hex = "0123456789abcdef";
      literal += "\\x";
      literal += hex[ch >> 4];
      literal += hex[ch & 15];
    } else {
      literal += static_cast<char>(ch);
    }
  }
  return literal + "\"";
}

namespace {

// Shared by both scripts: runs the editor on a PNG file and reports its verdict.
constexpr std::string_view kHandOver = R"PY(
import os, subprocess, tempfile

def hand_over(save_png):
    folder = tempfile.mkdtemp(prefix="morvane-export-")
    path = os.path.join(folder, "picture.png")
    try:
        save_png(path)
        editor = os.environ.get("MORVANE_EDITOR") or EDITOR
        result = subprocess.run([editor, "--import", path], capture_output=True, text=True,
                                timeout=60)
        if result.returncode != 0:
            raise RuntimeError(result.stderr.strip() or "Morvane Pro did not take the picture")
    finally:
        if os.path.exists(path):
            os.remove(path)
        os.rmdir(folder)
)PY";

constexpr std::string_view kGimp3 = R"PY(
import sys
import gi
gi.require_version("Gimp", "3.0")
from gi.repository import Gimp, GLib, Gio

class MorvaneExport(Gimp.PlugIn):
    def do_query_procedures(self):
        return ["plug-in-morvane-export"]

    def do_create_procedure(self, name):
        procedure = Gimp.ImageProcedure.new(self, name, Gimp.PDBProcType.PLUGIN, self.run, None)
        procedure.set_image_types("RGB*")
        procedure.set_menu_label("Export to Morvane Pro")
        procedure.add_menu_path("<Image>/Filters/Brenk Software")
        procedure.set_documentation("Hands the image or selection to Morvane Pro", None, name)
        procedure.set_attribution("Morvane", "Morvane", "2026")
        return procedure

    def run(self, procedure, run_mode, image, drawables, config, data):
        def save_png(path):
            copy = image.duplicate()
            if len(copy.get_layers()) > 1:
                copy.merge_visible_layers(Gimp.MergeType.CLIP_TO_IMAGE)
            if not Gimp.Selection.is_empty(copy):
                # The selection's mask becomes the picture's alpha (multiplied into the
                # layer's own), then the picture is cut to the selection's bounds.
                layer = copy.get_layers()[0]
                layer.add_alpha()
                layer.add_mask(layer.create_mask(Gimp.AddMaskType.SELECTION))
                layer.remove_mask(Gimp.MaskApplyMode.APPLY)
                _, _, x1, y1, x2, y2 = Gimp.Selection.bounds(copy)
                copy.crop(x2 - x1, y2 - y1, x1, y1)
            Gimp.file_save(Gimp.RunMode.NONINTERACTIVE, copy, Gio.File.new_for_path(path), None)
            copy.delete()
        try:
            hand_over(save_png)
        except Exception as error:
            return procedure.new_return_values(Gimp.PDBStatusType.EXECUTION_ERROR,
                                               GLib.Error(str(error)))
        return procedure.new_return_values(Gimp.PDBStatusType.SUCCESS, GLib.Error())

Gimp.main(MorvaneExport.__gtype__, sys.argv)
)PY";

constexpr std::string_view kKrita = R"PY(
from krita import Extension, Krita
from PyQt5.QtGui import QImage
from PyQt5.QtWidgets import QMessageBox

class MorvaneExport(Extension):
    def setup(self):
        pass

    def createActions(self, window):
        action = window.createAction("morvane_export", "Export to Morvane Pro", "tools/scripts")
        action.triggered.connect(self.export)

    def export(self):
        document = Krita.instance().activeDocument()
        if document is None:
            return
        def save_png(path):
            selection = document.selection()
            if selection is not None and selection.width() > 0:
                x, y, w, h = selection.x(), selection.y(), selection.width(), selection.height()
                image = document.projection(x, y, w, h).convertToFormat(QImage.Format_ARGB32)
                # The selection's mask becomes the picture's alpha, multiplied into its own.
                mask = QImage(bytes(selection.pixelData(x, y, w, h)), w, h, w,
                              QImage.Format_Grayscale8).copy()
                image.setAlphaChannel(mask)
            else:
                image = document.projection(0, 0, document.width(), document.height())
            if not image.save(path, "PNG"):
                raise RuntimeError("cannot write " + path)
        try:
            hand_over(save_png)
        except Exception as error:
            QMessageBox.warning(None, "Morvane Pro - error", str(error))

Krita.instance().addExtension(MorvaneExport(Krita.instance()))
)PY";

std::string WithEditor(std::string_view body, const std::string& editor) {
  return "# Export to Morvane Pro: written by Morvane Pro's plug-in installer.\nEDITOR = " +
         PythonStringLiteral(editor) + "\n" + std::string(kHandOver) + std::string(body);
}

}  // namespace

std::string Gimp3PluginScript(const std::string& editor) {
  return "#!/usr/bin/env python3\n" + WithEditor(kGimp3, editor);
}

std::string KritaPluginScript(const std::string& editor) {
  return WithEditor(kKrita, editor);
}

}  // namespace morvane

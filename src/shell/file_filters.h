// File dialog filters. The program writes them as one string of "description|patterns" pairs
// separated by "|" (patterns separated by ";"); toolkits want their own form.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

// The filter of File > "Open object ...".
inline constexpr std::string_view kOpenObjectFilter =
    "All graphics (ico, cur, ani, png, gif, jpg, bmp)|*.ico;*.cur;*.ani;*.png;*.gif;*.jpg;*.bmp|"
    "Icons (ico)|*.ico|Cursors (cur, ani)|*.cur;*.ani|Images (png, gif, jpg, bmp)|"
    "*.png;*.gif;*.jpg;*.bmp|Executable resources (exe, dll, scr, ocx, icl)|"
    "*.exe;*.dll;*.ocx;*.scr;*.icl|All files (*.*)|*.*||";

// "Icons (ico)|*.ico|All files (*.*)|*.*||" becomes "Icons (ico) (*.ico);;All files (*.*) (*)":
// each pair is the description and its patterns in parentheses, separated by spaces; pairs are
// joined with ";;". "*.*" becomes "*" so that files without an extension are listed too. An
// unpaired last description is dropped.
std::string ToDialogFilter(std::string_view pairs);

}  // namespace morvane

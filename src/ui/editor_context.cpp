#include "ui/editor_context.h"

#include "shell/control_ids.h"

namespace morvane {

QString EditorContext::Message(std::string_view key, std::string_view english) const {
  return QString::fromStdString(Text(language_section::kMessages, key, english));
}

}  // namespace morvane

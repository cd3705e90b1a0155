// The commands of morvane-cli. Each takes the arguments after its name and returns the exit
// status; "--help" among them prints the command's usage on stdout.
#pragma once

#include <string>
#include <vector>

namespace morvane::cli {

int RunInfo(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);
int RunExtract(const std::vector<std::string>& args);
int RunEffect(const std::vector<std::string>& args);
int RunDraw(const std::vector<std::string>& args);
int RunLint(const std::vector<std::string>& args);

extern const char* const kInfoUsage;
extern const char* const kConvertUsage;
extern const char* const kExtractUsage;
extern const char* const kEffectUsage;
extern const char* const kDrawUsage;
extern const char* const kLintUsage;

}  // namespace morvane::cli

#pragma once

#include <string>
#include <vector>

// What "--help" prints: every option, the settings file, the exit codes and the
// environment that maps port names to device nodes.
std::string UsageText();
// "vrtqlx <version>".
std::string VersionLine();

// Answers "--help" ("-h") or "--version" ("-V") given as the first argument (index 1 of
// `arguments`) on standard output; returns false, having printed nothing, for any other command
// line.
bool AnswerInformationRequest(const std::vector<std::string>& arguments);

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// One printer model the program can load firmware into: the name an operator sees and
// types, and the code by which the rest of the program tells models apart.
struct ModelEntry {
  std::string_view name;
  int32_t code;
};

inline constexpr size_t kModelCount = 39;

// The fixed list of models in catalogue order (the order the printer selection shows),
// TQR-01 first and TQR-39 last. Read-only for the life of the process.
const std::array<ModelEntry, kModelCount>& ModelCatalogue();

// The code of the row whose name equals `name` byte for byte; the fallback code (TQR-03's)
// for any other name, whatever its letter case or blanks.
int32_t ModelCodeForName(std::string_view name);

// True when the first three characters of `modelName` are one of the five families the
// unattended jobs accept: TQR, TQT, TQM, TQB, TQS (case-sensitive). TQG-36 is in the
// catalogue but of none of them.
bool IsKnownFamily(std::string_view modelName);

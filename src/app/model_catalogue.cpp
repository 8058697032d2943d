#include "app/model_catalogue.h"

#include "app/model_codes.h"

namespace {

constexpr std::array<ModelEntry, kModelCount> kRows{{
    {"TQR-01", kModelTQR01}, {"TQR-02", kModelTQR02}, {"TQR-03", kModelTQR03},
    {"TQR-04", kModelTQR04}, {"TQR-05", kModelTQR05}, {"TQR-06", kModelTQR06},
    {"TQR-07", kModelTQR07}, {"TQT-08", kModelTQT08}, {"TQR-09", kModelTQR09},
    {"TQR-10", kModelTQR10}, {"TQR-11", kModelTQR11}, {"TQR-12", kModelTQR12},
    {"TQR-13", kModelTQR13}, {"TQR-14", kModelTQR14}, {"TQR-15", kModelTQR15},
    {"TQR-16", kModelTQR16}, {"TQR-17", kModelTQR17}, {"TQB-18", kModelTQB18},
    {"TQR-19", kModelTQR19}, {"TQR-20", kModelTQR20}, {"TQS-21", kModelTQS21},
    {"TQS-22", kModelTQS22}, {"TQR-23", kModelTQR23}, {"TQR-24", kModelTQR24},
    {"TQR-25", kModelTQR25}, {"TQR-26", kModelTQR26}, {"TQR-27", kModelTQR27},
    {"TQT-28", kModelTQT28}, {"TQM-29", kModelTQM29}, {"TQR-30", kModelTQR30},
    {"TQR-31", kModelTQR31}, {"TQR-32", kModelTQR32}, {"TQR-33", kModelTQR33},
    {"TQR-34", kModelTQR34}, {"TQR-35", kModelTQR35}, {"TQG-36", kModelTQG36},
    {"TQR-37", kModelTQR37}, {"TQR-38", kModelTQR38}, {"TQR-39", kModelTQR39},
}};

constexpr std::array<std::string_view, 5> kFamilies{"TQR", "TQT", "TQM", "TQB", "TQS"};

}  // namespace

const std::array<ModelEntry, kModelCount>& ModelCatalogue() {
  return kRows;
}

int32_t ModelCodeForName(std::string_view name) {
  for (const ModelEntry& row : kRows) {
    if (row.name == name) return row.code;
  }
  return kFallbackModelCode;
}

bool IsKnownFamily(std::string_view modelName) {
  if (modelName.size() < 3) return false;
  for (std::string_view family : kFamilies) {
    if (modelName.substr(0, 3) == family) return true;
  }
  return false;
}

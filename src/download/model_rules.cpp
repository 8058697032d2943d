#include "download/model_rules.h"

#include <algorithm>
#include <initializer_list>

#include "app/model_codes.h"

namespace {
bool OneOf(int32_t code, std::initializer_list<int32_t> models) {
  return std::find(models.begin(), models.end(), code) != models.end();
}
}  // namespace

int DevicePathBlockSize(int32_t modelCode) {
  return OneOf(modelCode, {kModelTQR05, kModelTQR07}) ? 64 : 4096;
}

bool NeedsImageHeader(int32_t modelCode) {
  return modelCode == kModelTQB18;
}

bool NeedsCompatibilityCheck(int32_t modelCode) {
  return OneOf(modelCode, {kModelTQR10, kModelTQR11});
}

uint32_t SettleTickMs(int32_t modelCode) {
  if (OneOf(modelCode, {kModelTQR10, kModelTQR11})) return 600;
  if (OneOf(modelCode, {kModelTQR19, kModelTQR20, kModelTQS22})) return 270;
  if (OneOf(modelCode,
            {kModelTQR23, kModelTQR24, kModelTQR25, kModelTQR26, kModelTQT28, kModelTQR30,
             kModelTQR31, kModelTQR32, kModelTQR33, kModelTQR37, kModelTQR38, kModelTQR39})) {
    return 200;
  }
  return 800;
}

int ProgressAfterTcpSend(int32_t modelCode) {
  if (OneOf(modelCode, {kModelTQR10, kModelTQR11})) return 205;
  if (OneOf(modelCode,
            {kModelTQR12, kModelTQR13, kModelTQR14, kModelTQR15, kModelTQR17, kModelTQR19})) {
    return 235;
  }
  if (OneOf(modelCode,
            {kModelTQR20, kModelTQR23, kModelTQR24, kModelTQR25, kModelTQR26, kModelTQT28,
             kModelTQR30, kModelTQR31, kModelTQR32, kModelTQR33, kModelTQR34, kModelTQR35,
             kModelTQG36, kModelTQR37, kModelTQR38, kModelTQR39})) {
    return 225;
  }
  return 100;
}

bool NoticeIsTextMessage(int32_t modelCode) {
  return OneOf(modelCode, {kModelTQR10, kModelTQR11});
}

bool IsHexModel(int32_t modelCode) {
  return OneOf(modelCode, {kModelTQR03, kModelTQR04});
}

const char* FirmwareFileFilter(int32_t modelCode) {
  if (IsHexModel(modelCode)) return "Firmware File(*.hex)|*.hex||";
  if (modelCode == kModelTQB18) return "Firmware File(*.fls)|*.fls|Firmware File(*.bin)|*.bin||";
  return "Firmware File(*.fls)|*.fls||";
}

int ModelPictureId(int32_t modelCode) {
  if (OneOf(modelCode, {kModelTQR01, kModelTQR16, kModelTQR30})) return 142;
  if (OneOf(modelCode, {kModelTQR03, kModelTQR04})) return 143;
  if (modelCode == kModelTQR06) return 156;
  if (modelCode == kModelTQR02) return 157;
  if (OneOf(modelCode, {kModelTQT08, kModelTQT28})) return 165;
  if (modelCode == kModelTQR09) return 166;
  if (OneOf(modelCode, {kModelTQR10, kModelTQR11, kModelTQR31, kModelTQR32, kModelTQR33})) {
    return 168;
  }
  if (modelCode == kModelTQM29) return 172;
  return 160;
}

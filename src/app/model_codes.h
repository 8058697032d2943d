#pragma once

#include <cstdint>

// Model codes of the printer range: the catalogue row r carries 2000 + r. The engine, the
// image checks and USB matching name models through these constants.

inline constexpr int32_t kModelTQR01 = 2001;
inline constexpr int32_t kModelTQR02 = 2002;
inline constexpr int32_t kModelTQR03 = 2003;
inline constexpr int32_t kModelTQR04 = 2004;
inline constexpr int32_t kModelTQR05 = 2005;
inline constexpr int32_t kModelTQR06 = 2006;
inline constexpr int32_t kModelTQR07 = 2007;
inline constexpr int32_t kModelTQT08 = 2008;
inline constexpr int32_t kModelTQR09 = 2009;
inline constexpr int32_t kModelTQR10 = 2010;
inline constexpr int32_t kModelTQR11 = 2011;
inline constexpr int32_t kModelTQR12 = 2012;
inline constexpr int32_t kModelTQR13 = 2013;
inline constexpr int32_t kModelTQR14 = 2014;
inline constexpr int32_t kModelTQR15 = 2015;
inline constexpr int32_t kModelTQR16 = 2016;
inline constexpr int32_t kModelTQR17 = 2017;
inline constexpr int32_t kModelTQB18 = 2018;
inline constexpr int32_t kModelTQR19 = 2019;
inline constexpr int32_t kModelTQR20 = 2020;
inline constexpr int32_t kModelTQS21 = 2021;
inline constexpr int32_t kModelTQS22 = 2022;
inline constexpr int32_t kModelTQR23 = 2023;
inline constexpr int32_t kModelTQR24 = 2024;
inline constexpr int32_t kModelTQR25 = 2025;
inline constexpr int32_t kModelTQR26 = 2026;
inline constexpr int32_t kModelTQR27 = 2027;
inline constexpr int32_t kModelTQT28 = 2028;
inline constexpr int32_t kModelTQM29 = 2029;
inline constexpr int32_t kModelTQR30 = 2030;
inline constexpr int32_t kModelTQR31 = 2031;
inline constexpr int32_t kModelTQR32 = 2032;
inline constexpr int32_t kModelTQR33 = 2033;
inline constexpr int32_t kModelTQR34 = 2034;
inline constexpr int32_t kModelTQR35 = 2035;
inline constexpr int32_t kModelTQG36 = 2036;
inline constexpr int32_t kModelTQR37 = 2037;
inline constexpr int32_t kModelTQR38 = 2038;
inline constexpr int32_t kModelTQR39 = 2039;

// The code a model name outside the catalogue gets.
inline constexpr int32_t kFallbackModelCode = kModelTQR03;

// The settings file "settings.dat" and the data folder's path, with no widgets.
//
// The file is exactly 16 bytes: four signed 32-bit integers, little-endian, in
// the order brush radius, second radius field, brightness, zoom.
#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

constexpr size_t kSettingsFileSize = 16;
using SettingsValues = std::array<int32_t, 4>;
using SettingsBytes = std::array<unsigned char, kSettingsFileSize>;

SettingsBytes EncodeSettings(const SettingsValues &values);

// Decodes the whole values `size` bytes hold, at most four, over the first
// entries of `values`, and returns how many it decoded; the others keep what
// they held. Bytes after the fourth value are ignored.
int DecodeSettings(const unsigned char *bytes, size_t size, SettingsValues &values);

// The program's data folder below the per-user data folder `base`, ending in the
// native separator; `fallback` when `base` is empty (the folder is unknown).
QString DataFolderPath(const QString &base, const QString &fallback);

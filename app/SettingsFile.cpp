#include "SettingsFile.h"

#include <QDir>

#include <algorithm>

SettingsBytes EncodeSettings(const SettingsValues &values)
{
    SettingsBytes bytes{};
    for (size_t i = 0; i < values.size(); ++i) {
        const auto value = uint32_t(values[i]);
        for (size_t b = 0; b < 4; ++b)
            bytes[4 * i + b] = static_cast<unsigned char>(value >> (8 * b));
    }
    return bytes;
}

int DecodeSettings(const unsigned char *bytes, size_t size, SettingsValues &values)
{
    const size_t count = std::min(values.size(), bytes == nullptr ? 0 : size / 4);
    for (size_t i = 0; i < count; ++i) {
        uint32_t value = 0;
        for (size_t b = 0; b < 4; ++b)
            value |= uint32_t(bytes[4 * i + b]) << (8 * b);
        values[i] = int32_t(value);
    }
    return int(count);
}

QString DataFolderPath(const QString &base, const QString &fallback)
{
    if (base.isEmpty())
        return fallback;
    QString folder = QDir::toNativeSeparators(base);
    const QChar separator = QDir::separator();
    if (!folder.endsWith(separator))
        folder += separator;
    return folder + QLatin1String("MERIDAN") + separator + QLatin1String("Nuanza") + separator;
}

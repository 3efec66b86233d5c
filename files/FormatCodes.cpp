#include "FormatCodes.h"

#include "bildkern3.h"

#include <QDir>
#include <array>

QString fileExtension(const QString &path)
{
    // Both separators: a name may come in native form.
    const QString normal = QDir::fromNativeSeparators(path);
    const qsizetype nameStart = normal.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = normal.lastIndexOf(QLatin1Char('.'));
    return dot < nameStart ? QString() : normal.mid(dot);
}

namespace {

struct FormatEntry {
    const char *extension;
    int code;
};
constexpr FormatEntry formatTable[] = {
    {".BMP", BK3_FORMAT_BMP},  {".DIB", BK3_FORMAT_BMP},   {".RLE", BK3_FORMAT_BMP},
    {".GIF", BK3_FORMAT_GIF},  {".IFF", BK3_FORMAT_IFF},   {".LBM", BK3_FORMAT_IFF},
    {".JPG", BK3_FORMAT_JPEG}, {".JPEG", BK3_FORMAT_JPEG}, {".JIF", BK3_FORMAT_JPEG},
    {".PCX", BK3_FORMAT_PCX},  {".TGA", BK3_FORMAT_TGA},   {".TIF", BK3_FORMAT_TIFF},
    {".JP2", BK3_FORMAT_JP2},  {".PNG", BK3_FORMAT_PNG},
};

} // namespace

int formatCodeForFile(const QString &path)
{
    const QString extension = fileExtension(path);
    for (const FormatEntry &entry : formatTable)
        if (extension.compare(QLatin1String(entry.extension), Qt::CaseInsensitive) == 0)
            return entry.code;
    return 0;
}

QStringList formatExtensions()
{
    QStringList extensions;
    for (const FormatEntry &entry : formatTable)
        extensions << QString::fromLatin1(entry.extension + 1).toLower();
    return extensions;
}

QString defaultExtensionForFilter(int filterIndex)
{
    // In the order of the entries of GetDIBSaveFilter.
    static constexpr std::array<const char *, 12> extensions = {
        ".bmp", ".dib", ".gif", ".iff", ".jif", ".jpg", ".lbm", ".pcx", ".rle", ".tga", ".tif", ".png"};
    if (filterIndex < 1 || filterIndex > int(extensions.size()))
        return QString();
    return QLatin1String(extensions[size_t(filterIndex - 1)]);
}

QList<FilterEntry> parseFilter(const QString &filter)
{
    QList<FilterEntry> entries;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        FilterEntry entry;
        entry.description = parts[i].trimmed();
        for (const QString &mask : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = mask.trimmed();
            if (!trimmed.isEmpty())
                entry.masks.append(trimmed);
        }
        if (!entry.masks.isEmpty())
            entries.append(entry);
    }
    return entries;
}

bool filterEntryShows(const FilterEntry &entry, const QString &fileName)
{
    return QDir::match(entry.masks, fileName);
}

int filterEntryForFile(const QList<FilterEntry> &entries, int current, const QString &fileName)
{
    if (current >= 0 && current < entries.size() && filterEntryShows(entries[current], fileName))
        return current;
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i].description == QLatin1String("Alle Bilder"))
            return i;
    return current;
}

QString withTrailingSeparator(const QString &path)
{
    const QChar separator = QDir::separator();
    if (path.endsWith(separator))
        return path;
    return path + separator;
}

#include "Ansi.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace {

// The bytes that Windows-1252 leaves without a character; they stand for the
// control characters of the same value both ways.
bool isUnassigned(char16_t unit)
{
    return unit == 0x81 || unit == 0x8D || unit == 0x8F || unit == 0x90 || unit == 0x9D;
}

// One conversion descriptor per call: iconv keeps state and the callers are few.
class Converter {
public:
    Converter(const char *to, const char *from) : handle(iconv_open(to, from))
    {
        if (handle == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("Die Zeichensatzumwandlung ist nicht verfügbar.");
    }
    ~Converter() { iconv_close(handle); }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts one whole unit (a character or a byte); false when the target
    // character set has no place for it.
    bool convert(const char *in, size_t inLength, QByteArray &out)
    {
        char buffer[16];
        char *input = const_cast<char *>(in);
        char *output = buffer;
        size_t outLeft = sizeof buffer;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        if (iconv(handle, &input, &inLength, &output, &outLeft) == static_cast<size_t>(-1))
            return false;
        out.append(buffer, static_cast<int>(sizeof buffer - outLeft));
        return true;
    }

private:
    iconv_t handle;
};

} // namespace

QByteArray toAnsi(const QString &text)
{
    Converter converter("WINDOWS-1252", "UTF-8");
    QByteArray out;
    out.reserve(text.size());
    const QStringView view(text);
    for (qsizetype i = 0; i < view.size();) {
        // A surrogate pair is one character.
        const qsizetype length = (view[i].isHighSurrogate() && i + 1 < view.size()) ? 2 : 1;
        const char16_t unit = view[i].unicode();
        if (unit < 0x80 || isUnassigned(unit)) {
            out.append(static_cast<char>(unit));
        } else {
            const QByteArray utf8 = view.mid(i, length).toUtf8();
            if (!converter.convert(utf8.constData(), static_cast<size_t>(utf8.size()), out))
                out.append('?');
        }
        i += length;
    }
    return out;
}

QString fromAnsi(const QByteArray &bytes)
{
    Converter converter("UTF-8", "WINDOWS-1252");
    QByteArray utf8;
    utf8.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        if (static_cast<unsigned char>(byte) < 0x80) {
            utf8.append(byte);
        } else if (!converter.convert(&byte, 1, utf8)) {
            utf8.append(QString(QChar(static_cast<unsigned char>(byte))).toUtf8());
        }
    }
    return QString::fromUtf8(utf8);
}

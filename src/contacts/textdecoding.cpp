#include "contacts/textdecoding.h"

#include "core/cp1252.h"

#include <QStringDecoder>

namespace
{

bool isAscii(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QString> decodeCharset(const QByteArray& bytes, const QByteArray& charset,
                                     bool* known)
{
    if (known)
        *known = true;
    const QByteArray name = charset.trimmed().toUpper();
    if (name.isEmpty() || name == "UTF-8" || name == "UTF8")
        return strictUtf8(bytes);
    if (name == "ISO-8859-1" || name == "ISO8859-1" || name == "ISO_8859-1" || name == "LATIN1" ||
        name == "LATIN-1")
        return QString::fromLatin1(bytes);
    if (name == "WINDOWS-1252" || name == "CP1252" || name == "WINDOWS1252" || name == "CP-1252")
        return fromCp1252(bytes);
    if (name == "US-ASCII" || name == "ASCII") {
        // Declared ASCII with accented letters: taken as UTF-8 when it is, else Windows-1252.
        if (auto text = strictUtf8(bytes))
            return text;
        return fromCp1252(bytes);
    }
    QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) {
        if (known)
            *known = false;
        return std::nullopt;
    }
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

ByteOrderMark byteOrderMark(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return ByteOrderMark::Utf8;
    if (bytes.startsWith("\xFF\xFE"))
        return ByteOrderMark::Utf16LE;
    if (bytes.startsWith("\xFE\xFF"))
        return ByteOrderMark::Utf16BE;
    return ByteOrderMark::None;
}

bool hasBinaryBytes(const QByteArray& bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v')
            continue;
        if (c == 0x1A && i == n - 1)
            continue;
        return true;
    }
    return false;
}

#include "contacts/textdecoding.h"

#include "core/cp1252.h"

#include <QFile>
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

struct ByteSource::File {
    QFile file;
};

ByteSource::ByteSource(const QString& path, qsizetype chunk) : m_file(new File), m_chunk(chunk)
{
    m_file->file.setFileName(path);
    m_open = m_file->file.open(QIODevice::ReadOnly);
    if (!m_open)
        m_error = m_file->file.errorString();
    else
        m_size = m_file->file.size();
}

ByteSource::ByteSource(const QByteArray& bytes, qsizetype chunk)
    : m_bytes(bytes), m_chunk(chunk), m_size(bytes.size())
{
}

ByteSource::~ByteSource()
{
    delete m_file;
}

bool ByteSource::next(QByteArray& chunk)
{
    if (!m_open)
        return false;
    if (!m_file) {
        if (m_position >= m_size)
            return false;
        chunk = m_bytes.mid(qsizetype(m_position), m_chunk);
        m_position += chunk.size();
        return true;
    }
    chunk.resize(m_chunk);
    const qint64 n = m_file->file.read(chunk.data(), m_chunk);
    if (n < 0) {
        m_error = m_file->file.errorString();
        chunk.clear();
        return false;
    }
    chunk.resize(qsizetype(n));
    m_position += n;
    return n > 0;
}

void ByteSource::rewind()
{
    m_position = 0;
    if (m_file && m_open)
        m_file->file.seek(0);
}

namespace
{

// Length of the start of `bytes` that holds whole UTF-8 characters (a sequence cut by the end
// is left out; bytes that start no valid sequence are left to the decoder).
qsizetype wholeUtf8(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char c = static_cast<unsigned char>(bytes[n - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? n - back : n;
    }
    return n;
}

} // namespace

QString ChunkDecoder::decode(QByteArrayView bytes)
{
    QByteArray data;
    QByteArrayView in = bytes;
    if (!m_carry.isEmpty()) {
        data = m_carry + bytes.toByteArray();
        m_carry.clear();
        in = data;
    }
    qsizetype whole = in.size();
    switch (m_encoding) {
    case TextEncoding::Windows1252:
        return fromCp1252(in.toByteArray());
    case TextEncoding::Utf8: {
        whole = wholeUtf8(in);
        m_carry = in.sliced(whole).toByteArray();
        const QByteArrayView part = in.first(whole);
        bool ascii = true;
        for (const char c : part) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        }
        if (ascii)
            return QString::fromLatin1(part);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(part);
        m_error = m_error || decoder.hasError();
        return text;
    }
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        whole -= whole % 2;
        if (whole >= 2) {
            // A high surrogate at the end waits for its low half.
            const bool le = m_encoding == TextEncoding::Utf16LE;
            const unsigned char hi = static_cast<unsigned char>(in[whole - (le ? 1 : 2)]);
            if (hi >= 0xD8 && hi <= 0xDB)
                whole -= 2;
        }
        m_carry = in.sliced(whole).toByteArray();
        QStringDecoder decoder(m_encoding == TextEncoding::Utf16LE ? QStringDecoder::Utf16LE
                                                                   : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(in.first(whole));
        m_error = m_error || decoder.hasError();
        return text;
    }
    }
    return QString();
}

bool ChunkDecoder::finish()
{
    if (!m_carry.isEmpty()) {
        m_error = true;
        m_carry.clear();
    }
    return !m_error;
}

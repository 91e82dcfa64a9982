#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Text decodings shared by the vCard and CSV readers.

// `bytes` as UTF-8 when they are valid UTF-8; nothing otherwise.
std::optional<QString> strictUtf8(const QByteArray& bytes);

// `bytes` in the character set named `charset` (UTF-8, ISO-8859-1, Windows-1252 and whatever
// else Qt knows, names compared without regard to case). Nothing when the bytes are not valid
// in it; `known` is set false when the name is unknown.
std::optional<QString> decodeCharset(const QByteArray& bytes, const QByteArray& charset,
                                     bool* known = nullptr);

// The byte-order mark a text starts with.
enum class ByteOrderMark { None, Utf8, Utf16LE, Utf16BE };
ByteOrderMark byteOrderMark(const QByteArray& bytes);

// True when `bytes` hold a control character that no text file holds (NUL and the C0 codes
// other than tab, line feed, vertical tab, form feed and carriage return; a final Ctrl-Z is
// allowed).
bool hasBinaryBytes(const QByteArray& bytes);

// The bytes of a file, or of bytes already in memory, handed over a chunk at a time so that a
// file of any size is read in bounded memory.
class ByteSource
{
public:
    static constexpr qsizetype kChunk = qsizetype(1) << 16;
    explicit ByteSource(const QString& path, qsizetype chunk = kChunk);
    explicit ByteSource(const QByteArray& bytes, qsizetype chunk = kChunk);
    ~ByteSource();
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    // False when the file cannot be opened (`errorString` says why).
    bool isOpen() const { return m_open; }
    QString errorString() const { return m_error; }
    qint64 size() const { return m_size; }
    // Bytes handed over so far.
    qint64 position() const { return m_position; }
    // The next chunk (never empty); false at the end of the bytes or when reading fails
    // (`errorString` is then set).
    bool next(QByteArray& chunk);
    // Back to the first byte.
    void rewind();

private:
    struct File;
    File* m_file = nullptr;
    QByteArray m_bytes;
    qsizetype m_chunk;
    qint64 m_size = 0;
    qint64 m_position = 0;
    bool m_open = true;
    QString m_error;
};

// The encodings the readers take a whole file in.
enum class TextEncoding { Utf8, Utf16LE, Utf16BE, Windows1252 };

// Decodes a text handed over in chunks: a character whose bytes are cut by the end of a chunk
// waits for the next one. Strict: bytes not valid in the encoding are remembered as an error.
class ChunkDecoder
{
public:
    explicit ChunkDecoder(TextEncoding encoding) : m_encoding(encoding) {}
    QString decode(QByteArrayView bytes);
    // At the end of the text: false when it was not valid (a character cut by the end
    // included).
    bool finish();
    bool hasError() const { return m_error; }

private:
    TextEncoding m_encoding;
    QByteArray m_carry;
    bool m_error = false;
};

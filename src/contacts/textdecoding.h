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

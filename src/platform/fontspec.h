#pragma once

#include "platform/dialogs.h"

#include <QFont>

// What a font dialog is preset with from a widget's font: face, size, bold, italic, underline,
// strikethrough.
FontSpec fontSpecOf(const QFont& font);
// `base` with the face, size and styles of `spec`; an empty face or a size that is not a real
// one keeps base's own.
QFont fontWithSpec(QFont base, const FontSpec& spec);

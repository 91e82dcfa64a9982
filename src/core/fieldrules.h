#pragma once

#include <QString>

// Rules shared by every command that reads the field boxes.

// A box counts as filled when its text is longer than one character: an empty stored field
// shows as one space.
inline bool isFilled(const QString& text)
{
    return text.size() > 1;
}

// `text` without the spaces (only spaces, not tabs or line breaks) at its start and end.
QString trimSpaces(const QString& text);
// `text` without the spaces at its start.
QString trimLeadingSpaces(const QString& text);

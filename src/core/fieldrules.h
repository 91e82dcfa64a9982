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

// The most characters of a field that a one-line display of it shows (a list line, a status
// panel, a menu caption): a longer value shows its beginning there, and stays whole everywhere
// else. Laying out a line of a million characters takes seconds.
constexpr int kShownLength = 1000;
// The beginning of `text` that a one-line display shows.
QString shownPart(const QString& text);
// `text` as a menu caption: "&" shows as itself, not as the mark of a shortcut letter; a long
// text shows its beginning.
QString menuCaptionText(const QString& text);

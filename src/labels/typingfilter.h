#pragma once

#include <QString>

class QLineEdit;

// The key filter of the number boxes of the print and sender windows: a key that types a
// character not in `allowed` is dropped; keys that type nothing (backspace, Delete, arrows,
// Ctrl shortcuts) pass. Text set by the program or pasted is not filtered.
void allowTypingOnly(QLineEdit* box, const QString& allowed);

// A box in which at most `limit` characters can be typed, though it shows whole any longer
// text the program puts in it (showWholeText): once the user has edited such a text down to the
// limit, the limit holds again.
void limitTyping(QLineEdit* box, int limit);
// Shows `text` whole in a box limited by limitTyping to `limit` characters.
void showWholeText(QLineEdit* box, const QString& text, int limit);

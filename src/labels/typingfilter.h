#pragma once

#include <QString>

class QLineEdit;

// The key filter of the number boxes of the print and sender windows: a key that types a
// character not in `allowed` is dropped; keys that type nothing (backspace, Delete, arrows,
// Ctrl shortcuts) pass. Text set by the program or pasted is not filtered.
void allowTypingOnly(QLineEdit* box, const QString& allowed);

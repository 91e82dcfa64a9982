#pragma once

#include <QString>

class QWidget;
struct SenderProfile;

// The sender previews of the sender window and of the envelope window: a label showing the
// sender text in the profile's font and colour.

// Gives `preview` the profile's font face, size, bold, italic and text colour. A face that is
// empty or a size that is not positive is skipped (the preview keeps its own).
void applySenderFont(QWidget& preview, const SenderProfile& profile);

// A text of CR LF separated lines as a label shows it (line feeds only).
QString previewText(const QString& text);

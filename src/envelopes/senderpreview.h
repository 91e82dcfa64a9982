#pragma once

class QWidget;
struct SenderProfile;

// The sender previews of the sender window and of the envelope window: a label showing the
// sender text in the profile's font and colour.

// Gives `preview` the profile's font face, size, bold, italic and text colour. A face that is
// empty or a size that is not positive is skipped (the preview keeps its own).
void applySenderFont(QWidget& preview, const SenderProfile& profile);

#include "envelopes/senderpreview.h"

#include "envelopes/senderprofile.h"
#include "labels/printfontpreview.h"
#include "platform/colorref.h"

void applySenderFont(QWidget& preview, const SenderProfile& p)
{
    applyPreviewFont(preview, p.FontName, p.FontSize, p.FontBold, p.FontItalic,
                     colorFromRef(senderColorRef(p.TextColor)));
}

#include "previewtiming.h"

#include "addressgen.h"
#include "printer/previewsurface.h"
#include "printer/printpreview.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>

PreviewTiming timePreview(const std::function<void()>& open)
{
    PreviewTiming timing;
    const long memoryBefore = residentKb();
    const qint64 t0 = nowNs();
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<PrintPreview*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        timing.opened = true;
        // The first page as the user sees it: the window painted.
        preview->pageView()->grab();
        timing.firstPageMs = elapsedMs(t0);
        QDeadlineTimer deadline(600000);
        while (!preview->document().complete() && !deadline.hasExpired())
            QApplication::processEvents();
        timing.allPagesMs = elapsedMs(t0);
        timing.pages = preview->document().pageCount();
        timing.memoryMoreKb = residentKb() - memoryBefore;
        preview->reject();
    });
    open();
    return timing;
}

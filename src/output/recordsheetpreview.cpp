#include "output/recordsheetpreview.h"

#include "core/recordform.h"
#include "core/services.h"
#include "output/recordsheet.h"
#include "printer/previewsurface.h"
#include "printer/printersurface.h"
#include "printer/printpreview.h"

#include <algorithm>

namespace
{

// Records drawn at a time for the preview of the whole file: the first page is shown as soon as
// it is drawn.
constexpr int kRecordsPerPart = 25;

} // namespace

bool previewRecordSheet(AppState&, Services& services, const RecordForm& form, QWidget* parent)
{
    if (!services.printer)
        return false;
    PreviewDocument document(services, [&form](Services& preview) {
        printRecordSheet(*preview.printer, form);
        preview.printer->endDoc();
        return true;
    });
    if (!runPrintPreview(document, parent))
        return false;
    printConfirmedRecordSheet(services, form);
    return true;
}

bool previewAllRecordSheets(AppState&, Services& services, RecordForm& form,
                            const std::function<void()>& cmdRefresh, QWidget* parent)
{
    if (!services.printer)
        return false;
    const int count = form.listCount();
    const int selected = form.listIndex();
    bool restored = false;
    // The walk through the records moves the name list's selection; it goes back once the
    // preview has what it needs.
    const auto restoreSelection = [&] {
        if (restored)
            return;
        restored = true;
        if (selected >= 0 && selected < form.listCount() && form.listIndex() != selected)
            form.setListIndex(selected);
    };
    int next = 0;
    PreviewDocument document(services, [&](Services& preview) {
        const int to = std::min(count, next + kRecordsPerPart);
        printRecordSheets(*preview.printer, form, next, to);
        next = to;
        if (next < count)
            return false;
        preview.printer->endDoc();
        restoreSelection();
        return true;
    });
    const bool print = runPrintPreview(document, parent);
    restoreSelection();
    if (!print)
        return false;
    printConfirmedRecordSheets(services, form, cmdRefresh);
    return true;
}

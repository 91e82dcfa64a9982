#pragma once

#include <functional>

// How a print preview opened: its first page shown (the window painted), every page drawn,
// and the memory it took meanwhile.
struct PreviewTiming {
    bool opened = false; // a preview window came up
    double firstPageMs = -1;
    double allPagesMs = -1;
    int pages = 0;
    long memoryMoreKb = 0;
};

// Calls `open`, which opens a modal print preview; as soon as the preview runs, paints its first
// page, waits until every page is drawn, closes it and hands back the times from the call.
PreviewTiming timePreview(const std::function<void()>& open);

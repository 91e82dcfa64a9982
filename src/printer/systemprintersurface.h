#pragma once

#include "printer/pagedsurface.h"

// The printer surface on the desktop's print system (QtPrinterSurface, in the services module),
// with what the command line asks of it beside drawing.
class SystemPrinterSurface : public PagedSurface
{
public:
    // Sends every following document to the PDF file `path` instead of a printer (each document
    // replaces the file). An empty path goes back to the printer.
    virtual void setOutputFile(const QString& path) = 0;
    virtual QString outputFile() const = 0;
    // Id of the last job handed to the print system (0 before the first).
    virtual int lastJobId() const = 0;
    // True when the open document (or, after endDoc, the last one) took a colour other than
    // black.
    virtual bool documentInColour() const = 0;
};

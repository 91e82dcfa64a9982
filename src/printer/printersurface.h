#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

// Raised by any printer operation that fails (no printer, driver or spooler error). Its text is
// the reason in a French sentence, the print server's own words after it, for the second line
// of the failure message.
class PrinterError : public std::runtime_error
{
public:
    explicit PrinterError(const QString& reason) : std::runtime_error(reason.toStdString()) {}
    QString reason() const { return QString::fromStdString(what()); }
};

// The sheet a document asks for in place of the printer's own paper (the A4 label sheet, an
// envelope): its size, and the orientation the page must have (nothing: the printer's).
struct PaperRequest {
    QPageSize size;
    std::optional<int> orientation; // 1 portrait, 2 landscape
};

// The current printer's drawing surface. It keeps a current position, font, colour, line style
// and scale between calls. A document opens at the first drawing call and ends with endDoc()
// (handed to the printer) or killDoc() (dropped); the next one starts again from the surface's
// first state (position, scale, font, colour, line style, paper), so no print job inherits what
// another one set. Coordinates are measured from the top-left corner of the printable area, in
// the current scale unit. Every operation may throw PrinterError.
class PrinterSurface
{
public:
    enum ScaleModes { Twips = 1, Millimetres = 6 };
    enum DrawStyles { Solid = 0, DashDot = 3 };
    enum Orientations { Portrait = 1, Landscape = 2 };

    virtual ~PrinterSurface() = default;

    virtual void setScaleMode(int mode) = 0;
    virtual int scaleMode() const = 0;
    virtual void setCurrentX(double x) = 0;
    virtual void setCurrentY(double y) = 0;
    virtual double currentX() const = 0;
    virtual double currentY() const = 0;

    virtual void setFontName(const QString& name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual void setFontItalic(bool italic) = 0;
    virtual void setForeColor(quint32 colorRef) = 0;
    virtual void setDrawStyle(int style) = 0;

    // Draws `text` at the current position, then moves to the start of the next line. Text that
    // follows on from the previous line (no position set since) starts a new page when its line
    // would not fit; text at a position the caller set stays on its page, cut at the paper's
    // edge. An empty text only moves down a line.
    virtual void print(const QString& text) = 0;
    // A straight line in `colorRef` with the current draw style, cut at the paper's edge.
    virtual void line(double x1, double y1, double x2, double y2, quint32 colorRef) = 0;
    // Starts a new page of the document (opening one when none is open), the position at its
    // top: the only page break a caller asks for.
    virtual void newPage() = 0;
    // Height of `text` in the current font and unit; a text ending in a line break measures
    // two lines.
    virtual double textHeight(const QString& text) = 0;

    virtual void endDoc() = 0;
    virtual void killDoc() = 0;

    // 1 portrait, 2 landscape.
    virtual int orientation() = 0;
    virtual QString deviceName() = 0;
    virtual void setDuplex(int duplex) = 0;
    // The system's printers, by name, and the choice of the current one.
    virtual QStringList printerNames() = 0;
    virtual bool selectPrinter(const QString& name) = 0;
    // The desktop's print-setup dialog on this surface's printer; its choice becomes the current
    // printer and settings. False when cancelled or when it cannot be shown.
    virtual bool showPrintSetup() = 0;
    // The sheet the next document asks for, from its first drawing call to its end; nothing:
    // the printer's own paper and orientation. An open document keeps its pages.
    virtual void setPaper(const std::optional<PaperRequest>& paper) = 0;
    virtual std::optional<PaperRequest> paper() const = 0;
    // The page a document asking for `paper` is laid out on (paper, orientation, printable
    // area), or the open document's page while one is open.
    virtual QPageLayout pageLayoutFor(const std::optional<PaperRequest>& paper) = 0;
    // The page the next document is laid out on, with the paper asked for so far.
    QPageLayout pageLayout() { return pageLayoutFor(paper()); }
};

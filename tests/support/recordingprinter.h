#pragma once

#include "printer/printersurface.h"

#include <QStringList>

// A printer surface that draws nothing and lists every call, coordinates in millimetres.
// Text lines are one font height high (points converted to millimetres); an upright A4 page
// holds `pageWidth` x `pageHeight` millimetres of printable area (turned in landscape). As the real
// surface, each document starts from the first state (scale, font, colour, line style, paper).
class RecordingPrinter : public PrinterSurface
{
public:
    // The calls, one per line, for example:
    //   "ScaleMode 6", "DrawStyle 0", "Line 7 2 93 2 #000000 0",
    //   "Font Arial 10 0 0", "ForeColor 255", "Print 12 3.53 \"Durand Marie\"",
    //   "NewPage", "EndDoc", "KillDoc". Numbers are rounded to two decimals.
    QStringList calls;
    // Only the printed texts, in order (empty lines included).
    QStringList printed;
    // The paper each ended document asked for: "A4", "115x160 mm 2" (size, orientation asked
    // for) or "-" (the printer's own).
    QStringList papers;
    int pages = 0;     // pages of the current document
    int documents = 0; // documents ended
    int killed = 0;    // documents abandoned
    bool docOpen = false;

    double pageHeight = 287; // printable height, mm
    double pageWidth = 200;
    int orientationValue = Portrait;
    QString device = QStringLiteral("Fake");
    QStringList names{QStringLiteral("Fake")};
    // When > 0, the n-th drawing call from now throws PrinterError with `failure`.
    int failAt = 0;
    QString failure = QStringLiteral("L'imprimante a refusé le document.");
    // The printer's own paper.
    QPageSize ownPaper{QPageSize::A4};

    void setScaleMode(int mode) override;
    int scaleMode() const override { return m_scale; }
    void setCurrentX(double x) override;
    void setCurrentY(double y) override;
    double currentX() const override;
    double currentY() const override;
    void setFontName(const QString& name) override;
    void setFontSize(double points) override;
    void setFontBold(bool bold) override;
    void setFontItalic(bool italic) override;
    void setForeColor(quint32 colorRef) override;
    void setDrawStyle(int style) override;
    void print(const QString& text) override;
    void line(double x1, double y1, double x2, double y2, quint32 colorRef) override;
    void newPage() override;
    double textHeight(const QString& text) override;
    void endDoc() override;
    void killDoc() override;
    int orientation() override { return orientationValue; }
    QString deviceName() override { return device; }
    void setDuplex(int duplex) override { calls << QStringLiteral("Duplex %1").arg(duplex); }
    QStringList printerNames() override { return names; }
    bool selectPrinter(const QString& name) override;
    bool showPrintSetup() override
    {
        calls << QStringLiteral("PrintSetup");
        return printSetupAnswer;
    }
    bool printSetupAnswer = true;
    void setPaper(const std::optional<PaperRequest>& paper) override { m_paper = paper; }
    std::optional<PaperRequest> paper() const override { return m_paper; }
    // The paper asked for (else ownPaper) in the orientation asked for (else the one reported);
    // on A4, the printable area pageWidth x pageHeight in the middle; on another paper, margins
    // of 5 mm.
    QPageLayout pageLayoutFor(const std::optional<PaperRequest>& paper) override;

    // Height of one line in the current font, mm.
    double lineHeight() const { return m_fontSize * 25.4 / 72.0; }
    QString fontName() const { return m_fontName; }
    double fontSize() const { return m_fontSize; }

private:
    void step();   // counts a call, opens the document, fails when asked
    void closed(); // the document ended: the first state again
    double toMm(double v) const { return m_scale == Millimetres ? v : v * 25.4 / 1440.0; }
    double fromMm(double v) const { return m_scale == Millimetres ? v : v * 1440.0 / 25.4; }
    int m_scale = Twips;
    double m_x = 0;         // mm
    double m_y = 0;         // mm
    bool m_placed = false;  // the position was set since the last Print
    double m_docHeight = 0; // printable height of the open document, mm
    QString m_fontName = QStringLiteral("Arial");
    double m_fontSize = 10;
    bool m_bold = false;
    bool m_italic = false;
    quint32 m_color = 0;
    int m_drawStyle = Solid;
    std::optional<PaperRequest> m_paper;
};

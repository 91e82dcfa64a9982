#pragma once

#include <QString>

// Print parameters shared by the label and envelope windows: label-sheet geometry in millimetres,
// the two drawing options and the print font.
struct PrintParams {
    double MargeGauche = 5;
    double MargeHaute = 0;
    double SepHorizontal = 0;
    double SepVertical = 0;
    double LargeurEtiq = 90;
    double HauteurEtiq = 45;
    bool ImprimerCadre = true;
    bool ImprimerDecoupe = true;
    QString FontName;
    double FontSize = 10; // points, single precision
    bool FontBold = false;
    bool FontItalic = false;
    qint32 ForeColor = 0; // red + 256 * green + 65536 * blue
    // Held beside the font but never stored in a file nor printed.
    bool FontUnderline = false;
    bool FontStrikethru = false;
};

// Where labels and envelope addresses are printed.
struct LabelPrintState {
    double PosX = 0; // corner of the label or envelope address being printed, mm
    double PosY = 0;
    int NumEtiquette = 0;   // selected position, 0 none, 1..10
    int ModeImpression = 0; // 1 identical labels, 0 selected label
    int NbEtiquettes = 8;   // identical labels per page, 1..10
};

// The paper of the envelope jobs: an A4 sheet (the default), or the envelope itself, its own
// size sent with the job for a printer that feeds envelopes. The choice lasts for the run; the
// size is the envelope chosen last in the envelope window.
struct EnvelopePaper {
    bool OwnSize = false;
    double Width = 160;  // the envelope as its address reads, mm: across
    double Height = 115; // and down
};

#pragma once

#include <QString>

// The sender's identity and the look and place of the sender label on envelopes.
struct SenderProfile {
    QString Ligne1;
    QString Ligne2;
    QString Ligne3;
    QString Ligne4;
    QString Ligne5;
    QString FontName;
    double FontSize = 8.5; // points, single precision
    bool FontBold = false;
    bool FontItalic = false;
    double TextColor = 0;   // red + 256 * green + 65536 * blue
    double FrameWidth = 45; // mm
    double FrameHeight = 20;
    double MarginLeft = 20;
    double MarginTop = 10;
    int HeaderExp = 0; // 1: "Exp : " before the first line

    QString TexteExp; // the sender text as shown and printed
};

// Line `n` (1..5) of the profile.
QString& senderLine(SenderProfile& profile, int n);
const QString& senderLine(const SenderProfile& profile, int n);

// Rebuilds TexteExp: the five lines, each ended by CR LF, the first preceded by "Exp : " when
// HeaderExp is not 0.
void AffichExpediteur(SenderProfile& profile);

// The profile used when there is no "DEFAUT.UTI": empty lines, the interface's default font
// face at 8.5 points, black, a 45 x 20 mm frame 20 mm from the left and 10 mm from the top.
SenderProfile defaultSenderProfile();

// The text colour as a colour number: rounded, and brought into 0..16777215 (colours written
// in exponent form by older files come back slightly off).
quint32 senderColorRef(double textColor);

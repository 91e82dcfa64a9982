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

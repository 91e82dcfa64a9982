#pragma once

#include "core/state/senderprofile.h"

#include <QString>

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

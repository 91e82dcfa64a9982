#pragma once

#include <QString>
#include <optional>

struct Services;

// The orientation commands shared by the main window, the label window and the envelope
// window ("Imprimante en mode Portrait" / "Imprimante en mode Paysage" and their buttons).
//
// Switches the current printer to `orientation` (1 portrait, 2 landscape) in its stored
// settings, puts back the default paper and single-sided printing, and returns the orientation
// the printer then really has, for the check marks and the status label. Shows the hourglass
// meanwhile. With no printer installed it shows "Aucune imprimante n'est disponible" and returns
// nothing; any other failure returns nothing silently. Nothing returned: leave the marks as
// they are.
std::optional<int> changeOrientation(Services& services, int orientation);

// The current printer's orientation, or nothing when it cannot be read (errors are silent).
std::optional<int> readOrientation(Services& services);

// "En cours : Portrait" (1), "En cours : Paysage" (2); empty for anything else.
QString orientationStatusText(int orientation);

// "Configurer l'imprimante": the print-setup dialog; its choice becomes the current printer.
// A cancel or any error is silent. True when a choice was made.
bool configurePrinter(Services& services);

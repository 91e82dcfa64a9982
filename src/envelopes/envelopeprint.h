#pragma once

#include <QString>

struct AppState;
struct Services;
class Dialogs;

// What an envelope carries, as chosen among the envelope window's print options.
enum class EnvelopeContent {
    AddressOnly,      // "Adresse seule"
    SenderOnly,       // "Etiquette expéditeur seule"
    AddressAndSender, // "Adresse et étiquette expéditeur"
};

// The envelope formats and where each puts the address.
enum class EnvelopeFormatId { F160x115, F220x110, F230x160, Custom };

struct EnvelopeFormat {
    QString option;  // caption of the option button, "160 x 115"
    QString caption; // name shown for the chosen format
    int PosX = 0;    // address corner, mm (not for the custom format)
    int PosY = 0;
    bool landscapeNotice = false; // "L'imprimante doit être configurée en mode paysage"
    bool customPosition = false;  // the position is set by the user
    double width = 0;             // the envelope, mm (none for the custom format)
    double height = 0;
};

EnvelopeFormat envelopeFormat(EnvelopeFormatId id);

// The sender text split into state.address.Lignes / NbLignes, line by line as the address block
// is split.
void DecoupeExpediteur(AppState& state);

// Draws the sender frame and prints the sender text on the current document without ending it.
// Like the address, the sender label is moved by the current printer's calibration offset.
// A printer failure shows "Erreur d'impression !" and abandons the document; false then.
bool ImprimExpediteur(AppState& state, Services& services);

// Prints the envelope: first the sender label for AddressAndSender, then the address block last
// composed (state.address.BlocAdresse) at state.label.PosX / PosY in the print font, and ends the
// document. When the sender label fails, the address still goes out in a new document.
void ImprimEnveloppe(AppState& state, Services& services, EnvelopeContent content);

// The sender label alone as one document (the sender window's test print, "Etiquette
// expéditeur seule"): ImprimExpediteur, then the end of the document.
void printSenderLabel(AppState& state, Services& services);

// The printing of the envelope window once confirmed: the sender label alone for SenderOnly
// (printSenderLabel), otherwise ImprimEnveloppe.
void printEnvelope(AppState& state, Services& services, EnvelopeContent content);

// The envelope window's print command: the confirmation for `content`, then printEnvelope.
void printEnvelopeCommand(AppState& state, Services& services, EnvelopeContent content);

// The advice about the printer's unprintable margins, and its message box.
QString marginAdviceText();
void showMarginAdvice(Dialogs& dialogs);

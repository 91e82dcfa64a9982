#pragma once

#include "printer/printersurface.h"

#include <QString>

struct AddressOptions;
struct AppState;
struct EnvelopePaper;
struct PrinterOffset;
struct PrintParams;
struct SenderProfile;
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

// The paper of an envelope job: an A4 sheet in the printer's orientation, or, with
// `choice.OwnSize`, the envelope itself (its size, in landscape when it is wider than high, so
// that positions keep their meaning: from the left and top edges as the address reads).
PaperRequest envelopePaper(const EnvelopePaper& choice);

// The drawing of one envelope's parts on the current page, for any caller (one envelope, or many
// in one job with the page breaks the caller asks for); neither ends the document nor starts a
// page. Both throw what the surface throws.
//
// The sender frame of `sender` and its text (split into `lines`), moved by `offset`.
void drawSenderLabel(PrinterSurface& printer, SenderProfile& sender, AddressOptions& lines,
                     const PrinterOffset& offset);
// The address block address.BlocAdresse split into print lines, in the print font of `font`,
// the first line one line height below (x, y).
void drawEnvelopeAddress(PrinterSurface& printer, const PrintParams& font, AddressOptions& address,
                         double x, double y);

// Draws the sender frame and prints the sender text on the current document without ending it.
// Like the address, the sender label is moved by the current printer's calibration offset.
// A printer failure shows "Erreur d'impression !" and abandons the document; false then.
bool ImprimExpediteur(AppState& state, Services& services);

// Prints the envelope on the paper of state.envelope: first the sender label for
// AddressAndSender, then the address block last composed (state.address.BlocAdresse) at
// state.label.PosX / PosY in the print font, and ends the document. When the sender label fails,
// the address still goes out in a new document.
void ImprimEnveloppe(AppState& state, Services& services, EnvelopeContent content);

// The sender label alone as one document on the paper of state.envelope (the sender window's
// test print, "Etiquette expéditeur seule"): ImprimExpediteur, then the end of the document.
void printSenderLabel(AppState& state, Services& services);

// The printing of the envelope window once confirmed: the sender label alone for SenderOnly
// (printSenderLabel), otherwise ImprimEnveloppe.
void printEnvelope(AppState& state, Services& services, EnvelopeContent content);

// The envelope window's print command: the confirmation for `content`, then printEnvelope.
void printEnvelopeCommand(AppState& state, Services& services, EnvelopeContent content);

// The advice about the printer's unprintable margins, and its message box.
QString marginAdviceText();
void showMarginAdvice(Dialogs& dialogs);

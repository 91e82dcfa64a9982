#pragma once

#include <QByteArray>
#include <QString>

class Dialogs;
struct AppState;
struct SenderProfile;
struct Services;

// The ".UTI" sender profile file: fourteen lines in the settings-file form, Windows-1252,
// CR LF. Line 1 holds the first two sender lines, lines 2 to 4 the other three, then the font
// face, size, bold, italic, the colour (a whole number), the frame's width and height, its left
// and top margins and the "Exp : " flag.
QByteArray senderProfileBytes(const SenderProfile& profile);

// Reads the fifteen values of `bytes` into `profile` in order, each as soon as it is read; the
// font size is applied only when all fifteen were read. False at the first missing value or
// value of the wrong kind: the values read before it stay, the others keep their contents.
// TexteExp is rebuilt after a complete read.
bool readSenderProfile(const QByteArray& bytes, SenderProfile& profile);

// Loads the profile file `path`, reporting a failure with "Erreur d'ouverture du fichier
// utilisateur !" (what was read before the failure stays, as readSenderProfile says). True when
// the whole profile was read; the sender window then shows it.
bool ChargeFileUtil(SenderProfile& profile, Dialogs& dialogs, const QString& path);

// Writes the profile to `path`, replacing the file in one step. False when it cannot be written
// (the file already there is left as it was).
bool writeSenderProfile(const SenderProfile& profile, const QString& path);

// Start-up: the sender profile from "DEFAUT.UTI" in the program folder, over the defaults.
void loadStartupSenderProfile(AppState& state, Services& services);

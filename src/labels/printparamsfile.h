#pragma once

#include "core/state/printparams.h"

#include <QByteArray>
#include <QString>
#include <optional>

struct AppState;
struct Services;
class CommonDialog;
class Dialogs;

// Print parameters files (".PAR"): seven CR LF lines of Windows-1252 text,
//   MargeGauche,MargeHaute,SepHorizontal,SepVertical,LargeurEtiq,HauteurEtiq
//   ImprimerCadre,ImprimerDecoupe
//   "FontName"
//   FontSize
//   FontBold
//   FontItalic
//   ForeColor

// The sheet geometry and the two drawing flags of the built-in defaults (5, 0, 0, 0, 90, 45,
// both flags set); the font is left alone.
void installDefaultGeometry(PrintParams& params);
// The whole built-in set, with the given standard font name and text colour.
PrintParams defaultPrintParams(const QString& fontName, quint32 textColor);
// The standard font name and text colour of the program's windows.
QString standardFontName();
quint32 standardTextColor();

// The file's bytes for `params`.
QByteArray printParamsBytes(const PrintParams& params);

// Reads `path` into `params`. Nothing is reported: every item that cannot be read leaves its
// field as it was, and a missing file changes nothing but the two flags, which are set only when
// the file holds #TRUE# (or -1) for them.
void LoadFileConfig(const QString& path, PrintParams& params);
// The same from the file's bytes (a file that could be read).
void readPrintParams(const QByteArray& bytes, PrintParams& params);

// Writes `params` to `path`; on failure shows "Erreur de sauvegarde!" (when `dialogs` is given)
// and returns false.
bool writePrintParamsFile(const QString& path, const PrintParams& params, Dialogs* dialogs);

// "Paramétrage de l'impression " followed by the file's bare name in capitals, or by "DEFAUT"
// when no file is named.
QString paramWindowTitle(const QString& file);

// The "&Charger des paramètres" command up to the reading: shows the open dialog preset with
// FicParam, takes its answer into FicParam (a cancel keeps the earlier choice) and reads that
// file. Returns the file read; nothing when no file was ever chosen.
std::optional<QString> chargerParametres(AppState& state, CommonDialog& dialog);
// The "&Sauver les paramètres" dialog: returns the chosen path (also stored in FicParam), or
// nothing when the user cancelled. The caller then runs its window's SaveFileConfig.
std::optional<QString> choisirFichierParametres(AppState& state, CommonDialog& dialog);

// Start-up: the print parameters from "DEFAUT.PAR" in the program folder, or the defaults.
void loadStartupPrintParams(AppState& state, Services& services);

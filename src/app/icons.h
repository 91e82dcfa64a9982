#pragma once

#include <QIcon>
#include <QString>

// The program's icons. Each command has its own drawing in the resource `:/icons/<name>.svg`;
// where the desktop's icon theme has an icon that means exactly what the command does, the
// theme's icon is preferred so the program looks at home. Where no standard icon means the
// same thing, the command passes no theme name and always shows its own drawing: a theme's
// "edit-copy" shows two pages of text and "mail-message-new" a letter to write, neither of which
// says "copy this record" or "print an envelope".
//
//   name            command                          theme name to pass
//   new-file        Nouveau Fichier                  document-new
//   open-file       Ouvrir un fichier                document-open
//   print-envelope  Imprimer Enveloppe               (none: always our own)
//   print-label     Imprimer Etiquette               (none: always our own)
//   printer-setup   Configurer l'imprimante          (none: always our own; the standard
//                                                     document-page-setup means a page's
//                                                     margins, not the choice of a printer)
//   quit            Quitter le programme             application-exit
//   copy-record     Copier la fiche en cours         (none: always our own)
//   paste-record    Coller dans une nouvelle fiche   (none: always our own)
//   search          Rechercher                       edit-find
//   search-next     Rechercher suivant               (none: always our own; edit-find-next
//                                                     is missing from most themes and go-next
//                                                     is a plain arrow)
//   add-record      Ajouter une fiche                list-add
//   delete-record   Supprimer la fiche en cours      edit-delete
//   refresh         Actualiser la liste              view-refresh
//   modify-record   Modifier la fiche en cours       document-edit (common, not standard:
//                                                     missing themes fall back to our own)
//   help            Aide                             help-contents
//   about           A Propos                         help-about
//
// SVG icons need Qt's SVG icon engine at run time (Debian: libqt6svg6, which holds
// iconengines/libqsvgicon.so); without it every icon is empty.

// The theme's icon `themeName` when it is not empty and the theme has it, else the program's
// own `:/icons/<name>.svg`.
QIcon programIcon(const QString& name, const QString& themeName = QString());

// The application's own icon (windows, launcher); never taken from the theme.
QIcon applicationIcon();

// From now on, the standard icons the application's style gives the toolbars are read when first
// drawn, not when a toolbar is made; they look the same.
void deferStandardIcons();

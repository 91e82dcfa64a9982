#pragma once

#include <QString>

// Title and order choices for the address block, shared by the label and envelope windows,
// and the last block composed with its print lines.
struct AddressOptions {
    int TypeTitre = 0;    // 0 none, 1 Monsieur, 2 Madame, 3 Mademoiselle
    QString PrefixeTitre; // "", "M. ", "Mme ", "Mlle "
    int OrdreNom = 0;     // 0 Nom + Prénom, 1 Prénom + Nom
    int OrdreSociete = 0; // 0 Nom + Société, 1 Société + Nom

    QString BlocAdresse; // lines joined by CR LF
    QString Lignes[16];  // print lines from index 1
    int NbLignes = 0;
};

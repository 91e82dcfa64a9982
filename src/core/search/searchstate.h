#pragma once

#include <QString>

// Search text and criterion, kept for the whole run.
struct SearchState {
    QString Chaine;
    int CritereRech = 0;
    int IndexTrouve = 0;  // a name-list index, also moved by list selections
    int DemandeArret = 0; // 1 once Escape was pressed
};

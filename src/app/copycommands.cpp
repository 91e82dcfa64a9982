// The main window's record copy: "Copier la fiche en cours" keeps the record shown in the
// program's copy buffer, "Coller la sélection dans une nouvelle fiche" adds it as a new record.
#include "app/frmelvarine.h"

#include "core/appstate.h"

void frmElvarine::Mnu_CopieFiche_Click()
{
    for (FieldBox box : kAllFieldBoxes)
        state.copy.FicheCopiee[boxNumber(box)] = fieldText(box);
    state.copy.FicheCopieeOK = 1;
    updateCommands();
}

void frmElvarine::Mnu_CollerFiche_Click()
{
    if (state.copy.FicheCopieeOK != 1 || !m_binding.hasRecordset() || !settleOpenRecord())
        return;
    cmdAdd_Click();
    for (FieldBox box : kAllFieldBoxes)
        setFieldText(box, state.copy.FicheCopiee[boxNumber(box)]);
    cmdRefresh_Click();
}

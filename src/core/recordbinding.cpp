#include "core/recordbinding.h"

Recordset& RecordBinding::recordset()
{
    if (!m_recordset)
        throw EngineError(errNoCurrentRecord, QStringLiteral("Aucun fichier d'adresses ouvert."));
    return *m_recordset;
}

void RecordBinding::attach(std::unique_ptr<Database> database, std::unique_ptr<Recordset> recordset)
{
    m_recordset = std::move(recordset);
    m_database = std::move(database);
    m_unreadableReported = -1;
    if (m_recordset && m_recordset->RecordCount() > 0)
        m_recordset->MoveFirst();
    showCurrent();
}

bool RecordBinding::anyChanged() const
{
    for (FieldBox box : kAllFieldBoxes) {
        if (m_fields.fieldChanged(box))
            return true;
    }
    return false;
}

void RecordBinding::report(const EngineError& e)
{
    int response = 1;
    if (Error)
        Error(e.number, e.text, response);
}

bool RecordBinding::store(int action)
{
    if (!m_recordset)
        return true;
    int save = 1;
    if (Validate)
        Validate(action, save);
    Recordset& rs = *m_recordset;
    const bool changed = anyChanged();
    try {
        if (rs.EditMode() == Recordset::dbEditAdd && !changed) {
            rs.CancelUpdate();
            return true;
        }
        if (!changed && rs.EditMode() == Recordset::dbEditNone)
            return true;
        if (rs.EditMode() == Recordset::dbEditNone)
            rs.Edit();
        for (FieldBox box : kAllFieldBoxes) {
            if (m_fields.fieldChanged(box))
                rs.setField(columnOfBox(box), m_fields.fieldText(box));
        }
        rs.Update();
        m_fields.clearChanged();
        return true;
    } catch (const EngineError& e) {
        report(e);
        return false;
    }
}

bool RecordBinding::move(int action, const std::function<void(Recordset&)>& step)
{
    if (!store(action))
        return false;
    step(recordset());
    showCurrent();
    if (Reposition)
        Reposition();
    return true;
}

bool RecordBinding::MoveFirst()
{
    return move(vbDataActionMoveFirst, [](Recordset& rs) { rs.MoveFirst(); });
}

bool RecordBinding::MoveNext()
{
    return move(vbDataActionMoveNext, [](Recordset& rs) { rs.MoveNext(); });
}

bool RecordBinding::MovePrevious()
{
    return move(vbDataActionMovePrevious, [](Recordset& rs) { rs.MovePrevious(); });
}

bool RecordBinding::MoveLast()
{
    return move(vbDataActionMoveLast, [](Recordset& rs) { rs.MoveLast(); });
}

bool RecordBinding::MoveTo(int position)
{
    return move(vbDataActionBookmark, [position](Recordset& rs) { rs.MoveTo(position); });
}

bool RecordBinding::AddNew()
{
    return move(vbDataActionAddNew, [](Recordset& rs) { rs.AddNew(); });
}

bool RecordBinding::Refresh()
{
    if (!m_recordset)
        return true;
    if (!store(vbDataActionMoveFirst))
        return false;
    try {
        if (m_recordset->stale())
            m_recordset->Requery();
        if (m_recordset->RecordCount() > 0)
            m_recordset->MoveFirst();
    } catch (const EngineError& e) {
        report(e);
    }
    showCurrent();
    if (Reposition)
        Reposition();
    return true;
}

void RecordBinding::showCurrent()
{
    std::array<QString, kFieldBoxCount> texts;
    if (m_recordset &&
        (m_recordset->EditMode() == Recordset::dbEditAdd || m_recordset->AbsolutePosition() >= 0)) {
        const int position = m_recordset->AbsolutePosition();
        try {
            for (FieldBox box : kAllFieldBoxes)
                texts[size_t(boxNumber(box))] = m_recordset->Field(columnOfBox(box)).toString();
            m_unreadableReported = -1;
        } catch (const EngineError& e) {
            // A row that cannot be read (damaged, or deleted by another program) is said so,
            // not shown as an empty record without a word; once, not at each showing of the
            // same row (opening a file shows its first row several times).
            texts = {};
            if (position < 0 || position != m_unreadableReported)
                report(e);
            m_unreadableReported = position;
        }
    }
    for (FieldBox box : kAllFieldBoxes)
        m_fields.showField(box, texts[size_t(boxNumber(box))]);
    m_fields.clearChanged();
}

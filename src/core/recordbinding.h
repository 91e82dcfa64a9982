#pragma once

#include "core/fieldbox.h"
#include "core/recordengine.h"

#include <functional>
#include <memory>

// The field boxes a record binding shows the current row in, by box index.
class BoundFields
{
public:
    virtual ~BoundFields() = default;
    virtual QString fieldText(FieldBox box) const = 0;
    // Shows `text` in a box without counting it as a change.
    virtual void showField(FieldBox box, const QString& text) = 0;
    // True when the box's text was changed since the row was shown.
    virtual bool fieldChanged(FieldBox box) const = 0;
    virtual void clearChanged() = 0;
};

// The record binding of the main window: holds the open record set, keeps one current row shown
// in the field boxes, and writes the changed boxes into the row when it stores.
class RecordBinding
{
public:
    enum Actions {
        vbDataActionMoveFirst = 1,
        vbDataActionMovePrevious = 2,
        vbDataActionMoveNext = 3,
        vbDataActionMoveLast = 4,
        vbDataActionAddNew = 5,
        vbDataActionUpdate = 6,
        vbDataActionDelete = 7,
        vbDataActionFind = 8,
        vbDataActionBookmark = 9,
        vbDataActionClose = 10,
    };

    explicit RecordBinding(BoundFields& fields) : m_fields(fields) {}

    QString DatabaseName;
    QString RecordSource;

    bool hasRecordset() const { return m_recordset != nullptr; }
    // The open record set; throws EngineError when there is none.
    Recordset& recordset();
    Database* database() { return m_database.get(); }
    // Replaces the open file and record set; shows the first row.
    void attach(std::unique_ptr<Database> database, std::unique_ptr<Recordset> recordset);

    // Moves through the binding: Validate, store the changed boxes, move, show the row,
    // Reposition. A failed store is reported through Error and the move is not made (false);
    // the boxes keep what was typed, still counted as changed. A store that finds the row
    // changed or deleted by another program since it was read is such a failure; storing
    // again then writes the typed boxes over the row as it is now (or puts the row back).
    // A move that cannot be made throws EngineError.
    bool MoveFirst();
    bool MoveNext();
    bool MovePrevious();
    bool MoveLast();
    bool MoveTo(int position);
    // A new empty row becomes current; the boxes show empty texts.
    bool AddNew();
    // Stores the pending addition or edit when a box was changed (a new row with no box changed
    // is dropped), then reads the rows again and makes the first one current. False when the
    // store failed (reported through Error); nothing is then read again.
    bool Refresh();
    // Shows the current row in the boxes again (null columns as empty texts). A row that cannot
    // be read is reported through Error, once while it stays current, and the boxes are emptied.
    void showCurrent();

    // Run before the current row changes or is stored.
    std::function<void(int action, int& save)> Validate;
    // Run after the current row changed.
    std::function<void()> Reposition;
    // An engine error met by the binding itself; response 0 means the program reported it.
    std::function<void(int dataErr, const QString& text, int& response)> Error;

private:
    bool anyChanged() const;
    bool store(int action);
    bool move(int action, const std::function<void(Recordset&)>& step);
    void report(const EngineError& e);

    BoundFields& m_fields;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<Recordset> m_recordset;
    int m_unreadableReported = -1; // position of the row that could not be read, once reported
};

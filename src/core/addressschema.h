#pragma once

#include "core/fieldbox.h"

#include <QString>

// The address table: sixteen text columns, in creation order, and the field boxes of the record
// form bound to them, as the field table (core/fieldtable.h) gives them.
struct ColumnDef {
    const char16_t* name;
    int size;      // maximum characters stored
    FieldBox box;  // field box showing the column
    int boxLength; // characters the box accepts as typed
    const char16_t* caption;
};

constexpr int kColumnCount = fieldtable::kCount;
extern const ColumnDef kColumns[kColumnCount];
extern const char16_t kTableName[];

// Column index (creation order) shown by field box `box`.
int columnOfBox(FieldBox box);
// Column index of `name`, compared without regard to letter case; -1 when unknown.
int columnIndex(const QString& name);
QString columnName(int column);

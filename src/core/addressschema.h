#pragma once

#include <QString>

// The address table: sixteen text columns, in creation order, and the field boxes of the record
// form bound to them.
struct ColumnDef {
    const char16_t* name;
    int size;      // maximum characters stored
    int box;       // field box index showing the column
    int boxLength; // characters the box accepts as typed
    const char16_t* caption;
};

constexpr int kColumnCount = 16;
extern const ColumnDef kColumns[kColumnCount];
extern const char16_t kTableName[];

// Column index (creation order) shown by field box `box`; -1 when out of range.
int columnOfBox(int box);
// Field box showing column `column`.
int boxOfColumn(int column);
// Column index of `name`, compared without regard to letter case; -1 when unknown.
int columnIndex(const QString& name);
QString columnName(int column);

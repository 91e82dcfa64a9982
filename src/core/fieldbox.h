#pragma once

#include "core/fieldtable.h"

#include <array>
#include <cstddef>

// The sixteen field boxes of the record form, read from the field table. Each value is the
// box's number, which is also the suffix of its widget name (txtFields_0 ... txtFields_15); the
// stored column of each box is in the same row of the table.
enum class FieldBox : int {
#define ELVARINE_FIELD_BOX(id, column, box, name, size, boxLength, caption) id = box,
    ELVARINE_FIELDS(ELVARINE_FIELD_BOX)
#undef ELVARINE_FIELD_BOX
};

constexpr int kFieldBoxCount = fieldtable::kCount;

constexpr int boxNumber(FieldBox box)
{
    return static_cast<int>(box);
}

// The box with number `number` (0..15).
constexpr FieldBox fieldBox(int number)
{
    return static_cast<FieldBox>(number);
}

// Every box, by number.
constexpr std::array<FieldBox, kFieldBoxCount> kAllFieldBoxes = [] {
    std::array<FieldBox, kFieldBoxCount> boxes{};
    for (int n = 0; n < kFieldBoxCount; ++n)
        boxes[std::size_t(n)] = fieldBox(n);
    return boxes;
}();

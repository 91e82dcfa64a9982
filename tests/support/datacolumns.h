#pragma once

#include <QTest>

// The columns of a data-driven test in one call: addColumns<int, QString>("count", "text").
template <typename... Types, typename... Names> void addColumns(Names... names)
{
    static_assert(sizeof...(Types) == sizeof...(Names), "one name for each column type");
    (QTest::addColumn<Types>(names), ...);
}

#pragma once

#include "labels/impetiq.h"
#include "printwindowfixture.h"

// The label window over a name list of three records, the first one current.
struct Fixture : PrintWindowFixture<ImpEtiq> {
    static QStringList record(const QString& nom, const QString& prenom)
    {
        QStringList r(16, QStringLiteral(" "));
        r[0] = nom;
        r[1] = prenom;
        r[5] = QStringLiteral("75001");
        r[6] = QStringLiteral("Paris");
        return r;
    }
    Fixture() { form.records << durand() << record("Martin", "Paul") << record("Petit", "Zoé"); }
};

// Replaces the text of `edit` by `text` typed key by key; an empty text is a backspace.
inline void selectAllAndType(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        typeInto(edit, text);
}

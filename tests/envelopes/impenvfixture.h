#pragma once

#include "envelopes/impenv.h"
#include "envelopes/senderprofile.h"
#include "printwindowfixture.h"
#include "senderprofiles.h"

#include <QLabel>
#include <QRadioButton>

// The envelope window over a name list of three records, the first one current, with a sender
// profile in Courier 9 italic, red.
struct Fixture : PrintWindowFixture<ImpEnv> {
    static QStringList record(const QString& nom, const QString& prenom,
                              const QString& societe = " ")
    {
        QStringList r(16, QStringLiteral(" "));
        r[0] = nom;
        r[1] = prenom;
        r[2] = societe;
        r[3] = QStringLiteral("12 rue des Lilas");
        r[5] = QStringLiteral("69003");
        r[6] = QStringLiteral("Lyon");
        return r;
    }
    Fixture()
    {
        SenderProfile& s = state.sender;
        s = jeanDupont(defaultSenderProfile(), "Courier", 9, 255);
        s.FontItalic = true;
        AffichExpediteur(s);
        form.records << record("Durand", "Marie", "Ateliers Lebrun") << record("Martin", "Paul")
                     << record("Petit", "Zoé");
    }
    QString label(const char* name) { return child<QLabel>(name)->text(); }
    bool shown(const char* name) { return !child<QWidget>(name)->isHidden(); }
    // The window as it opens: the 160 x 115 envelope, its address at (70, 50) mm, the address
    // alone, no sender frame.
    void checkFirstFormat()
    {
        QVERIFY(window->formatOption(EnvelopeFormatId::F160x115)->isChecked());
        QVERIFY(window->contentOption(EnvelopeContent::AddressOnly)->isChecked());
        QCOMPARE(label("Label1"), QStringLiteral("Enveloppe 160 x 115 mm"));
        QCOMPARE(state.label.PosX, 70.0);
        QCOMPARE(state.label.PosY, 50.0);
        QCOMPARE(label("Label5"), QStringLiteral("70"));
        QCOMPARE(label("Label6"), QStringLiteral("50"));
        QVERIFY(!shown("Frame4"));
    }
};

// The block of the first record as the address preview shows it.
inline const QString kDurand =
    QStringLiteral("Durand Marie\nAteliers Lebrun\n12 rue des Lilas\n\n69003 Lyon\n");

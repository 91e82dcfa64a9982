// Cards changed from a record: only the properties the changed fields map are written, every
// other line is kept byte for byte.
#include "contacts/contact.h"
#include "datacolumns.h"
#include "sync/cardtext.h"

#include <QTest>

namespace
{

QByteArray card(const QByteArray& lines, const QByteArray& version = "3.0")
{
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\nUID:u-1\r\n" + lines + "END:VCARD\r\n";
}

} // namespace

class TestCardText : public QObject
{
    Q_OBJECT
private slots:
    void merge_data();
    void merge();
    void unchangedCardKeptWhole();
    void readsUidAndGroups();
};

void TestCardText::merge_data()
{
    addColumns<QByteArray, int, QString, QByteArray>("before", "column", "value", "after");

    const QByteArray base = "FN:Anne Arnaud\r\nN:Arnaud;Anne;;Mme;\r\n"
                            "item2.TEL;TYPE=HOME:01 11\r\nTEL;TYPE=CELL:06 11\r\n"
                            "EMAIL;TYPE=HOME:a@x.fr\r\nPHOTO;VALUE=uri:http://x.fr/a.jpg\r\n";
    QTest::newRow("a number keeps its group and parameters")
        << card(base) << int(Field::Telephone) << "01 99"
        << card("FN:Anne Arnaud\r\nN:Arnaud;Anne;;Mme;\r\nitem2.TEL;TYPE=HOME:01 99\r\n"
                "TEL;TYPE=CELL:06 11\r\nEMAIL;TYPE=HOME:a@x.fr\r\n"
                "PHOTO;VALUE=uri:http://x.fr/a.jpg\r\n");
    QTest::newRow("an emptied field removes its property")
        << card(base) << int(Field::Email) << ""
        << card("FN:Anne Arnaud\r\nN:Arnaud;Anne;;Mme;\r\nitem2.TEL;TYPE=HOME:01 11\r\n"
                "TEL;TYPE=CELL:06 11\r\nPHOTO;VALUE=uri:http://x.fr/a.jpg\r\n");
    QTest::newRow("a new field adds its property at the end")
        << card(base) << int(Field::Fax) << "01 55" << card(base + "TEL;TYPE=FAX:01 55\r\n");
    QTest::newRow("the name keeps the prefix, FN follows")
        << card(base) << int(Field::Nom) << "Arnaud-Blanc"
        << card("FN:Anne Arnaud-Blanc\r\nN:Arnaud-Blanc;Anne;;Mme;\r\nitem2.TEL;TYPE=HOME:01 "
                "11\r\nTEL;TYPE=CELL:06 11\r\nEMAIL;TYPE=HOME:a@x.fr\r\n"
                "PHOTO;VALUE=uri:http://x.fr/a.jpg\r\n");
    QTest::newRow("a card with FN only gets N after VERSION")
        << card("FN:Jean Dupont\r\n") << int(Field::Prenom) << "Jeanne"
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dupont;Jeanne;;;\r\nUID:u-1\r\n"
                      "FN:Jeanne Dupont\r\nEND:VCARD\r\n");
    QTest::newRow("vCard 4.0 number as a tel: address")
        << card("FN:A\r\nN:A;;;;\r\nTEL;VALUE=uri;TYPE=cell:tel:+33-6-11\r\n", "4.0")
        << int(Field::Portable) << "+33 6 22"
        << card("FN:A\r\nN:A;;;;\r\nTEL;VALUE=uri;TYPE=cell:tel:+33-6-22\r\n", "4.0");
    QTest::newRow("the preferred address, its region and type kept")
        << card("FN:A\r\nN:A;;;;\r\nADR;TYPE=WORK:;;1 rue A;Lille;;59000;\r\n"
                "ADR;TYPE=HOME,PREF:;Bât 2;3 rue B;Arras;Hauts;62000;France\r\n")
        << int(Field::Ville) << "Lens"
        << card("FN:A\r\nN:A;;;;\r\nADR;TYPE=WORK:;;1 rue A;Lille;;59000;\r\n"
                "ADR;TYPE=HOME,PREF:;;3 rue B\\nBât 2;Lens;Hauts;62000;France\r\n");
    QTest::newRow("vCard 4.0 PREF=1 address, its region kept byte for byte")
        << card("FN:A\r\nN:A;;;;\r\nADR;TYPE=work:;;1 rue A;Lille;;59000;\r\n"
                "ADR;PREF=1;TYPE=\"home,postal\":;;3 rue B;Arras;Île-de-France;62000;France\r\n",
                "4.0")
        << int(Field::Ville) << "Lens"
        << card("FN:A\r\nN:A;;;;\r\nADR;TYPE=work:;;1 rue A;Lille;;59000;\r\n"
                "ADR;PREF=1;TYPE=\"home,postal\":;;3 rue B;Lens;Île-de-France;62000;France\r\n",
                "4.0");
    QTest::newRow("vCard 2.1 bare parameters tell the fax from the voice number")
        << card("FN:A\r\nN:A;;;;\r\nTEL;HOME;VOICE:01 11\r\nTEL;HOME;FAX:01 22\r\n", "2.1")
        << int(Field::Fax) << "01 33"
        << card("FN:A\r\nN:A;;;;\r\nTEL;HOME;VOICE:01 11\r\nTEL;HOME;FAX:01 33\r\n", "2.1");
    QTest::newRow("notes become one NOTE, escaped")
        << card("FN:A\r\nN:A;;;;\r\nNOTE:un\r\nNOTE:deux\r\n") << int(Field::Notes)
        << "un; deux\ntrois" << card("FN:A\r\nN:A;;;;\r\nNOTE:un\\; deux\\ntrois\r\n");
    QTest::newRow("quoted-printable value rewritten as plain UTF-8")
        << card("FN:A\r\nN:A;;;;\r\nNOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:caf=C3=A9\r\n",
                "2.1")
        << int(Field::Notes) << "thé" << card("FN:A\r\nN:A;;;;\r\nNOTE:thé\r\n", "2.1");
    QTest::newRow("a long value is folded")
        << card("FN:A\r\nN:A;;;;\r\n") << int(Field::Url) << QString(80, QLatin1Char('u'))
        << card("FN:A\r\nN:A;;;;\r\nURL:" + QByteArray(71, 'u') + "\r\n " + QByteArray(9, 'u') +
                "\r\n");
}

void TestCardText::merge()
{
    QFETCH(QByteArray, before);
    QFETCH(int, column);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    const Contact current = readCard(before).contact;
    Contact wanted = current;
    wanted[size_t(column)] = value;
    const QByteArray merged = mergedCardText(before, current, wanted);
    QCOMPARE(merged, after);
    const Contact back = readCard(merged).contact;
    QCOMPARE(back[size_t(column)], value.isEmpty() ? QString() : value);
}

void TestCardText::unchangedCardKeptWhole()
{
    // Folded lines, unknown properties and a second card after the first stay as they were.
    const QByteArray text = "BEGIN:VCARD\nVERSION:3.0\nUID:x\nFN:Léon\nN:Blum;Léon;;;\n"
                            "PHOTO;ENCODING=b;TYPE=JPEG:AAAA\n BBBB\n CCCC\nX-OTHER;A=\"b:c\":d\n"
                            "END:VCARD\n";
    const Contact c = readCard(text).contact;
    QByteArray crlf = text;
    crlf.replace("\n", "\r\n");
    QCOMPARE(mergedCardText(text, c, c), crlf);
    QCOMPARE(withUid(text, QStringLiteral("y")), QByteArray(crlf).replace("UID:x", "UID:y"));
    // A new card carries its UID and reads back as the record.
    Contact r;
    r[Field::Nom] = QStringLiteral("Zola");
    r[Field::Prenom] = QStringLiteral("Émile");
    r[Field::Notes] = QStringLiteral("a\nb");
    const CardInfo made = readCard(newCardText(r, QStringLiteral("uid-9")));
    QCOMPARE(made.uid, QStringLiteral("uid-9"));
    QCOMPARE(made.contact[Field::Notes], QStringLiteral("a\nb"));
    QCOMPARE(made.contact[Field::Prenom], QStringLiteral("Émile"));
}

void TestCardText::readsUidAndGroups()
{
    QVERIFY(readCard(card("FN:Amis\r\nN:Amis;;;;\r\nX-ADDRESSBOOKSERVER-KIND:group\r\n")).isGroup);
    QVERIFY(readCard(card("FN:Amis\r\nKIND:group\r\n", "4.0")).isGroup);
    QVERIFY(!readCard(card("FN:A\r\nN:A;;;;\r\n")).isGroup);
    QCOMPARE(readCard(card("FN:A\r\n")).uid, QStringLiteral("u-1"));
    QVERIFY(!readCard("pas une carte").error.isEmpty());
}

QTEST_GUILESS_MAIN(TestCardText)
#include "tst_cardtext.moc"

// The vCard and CSV readers and writers: round trips, an independent reader, hand-written samples
// of each format people bring, and bad input.
#include "contacts/contactimport.h"
#include "contacts/csvformat.h"
#include "contacts/csvlayouts.h"
#include "contacts/vcardreader.h"
#include "contacts/vcardwriter.h"
#include "contactvalues.h"
#include "core/cp1252.h"
#include "datacolumns.h"
#include "filebytes.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// Every field filled with what files find hard: accents, quotes, separators of both formats,
// backslashes, line breaks (CR LF and LF), characters outside Windows-1252, a long line.
QList<Contact> hardContacts()
{
    return {
        contact({"Lefèvre-Ümit", "Élise « Zoé »", "Ateliers \"Lebrun\", frères; fils",
                 "12, rue des Lilas; bât. B", "Résidence \\Les Pins\\", "69003", "Saint-Étienne",
                 "+33 4 78 00 00 00", "04 78 11 11 11", "04 78 22 22 22", "R-12;A,B",
                 "Première ligne\r\nDeuxième ligne\nTroisième : œuvre ☎ 😀 ĳ Ω, \"fin\"; \\n",
                 "elise@exemple.fr", "Côte d'Ivoire", "https://exemple.fr/a?b=1,2;3",
                 "06 00 00 00 00"}),
        contact(
            {"Nguyễn", "Thị Minh Khai", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}),
        contact({"Durand", "", "Société Très Longue Dont Le Nom Déborde Largement",
                 "Une adresse très très longue qui oblige à plier la ligne", "", "", "", "", "", "",
                 "", "", "", "", "", ""}),
    };
}

QString shown(const Contact& c)
{
    QStringList parts;
    for (int i = 0; i < kColumnCount; ++i) {
        if (!c[size_t(i)].isNull())
            parts << columnName(i) + QLatin1Char('=') + c[size_t(i)];
    }
    return parts.join(QLatin1String(" | "));
}

QByteArray cardsOf(const QList<Contact>& contacts, VCardVersion version)
{
    return writeVCards(std::vector<Contact>(contacts.begin(), contacts.end()), version);
}

// `bytes` written as the file `path`, then read as an import reads it.
ContactsFile readWritten(const QString& path, const QByteArray& bytes)
{
    writeFile(path, bytes);
    return readContactsFile(path);
}

} // namespace

class TestContactFormats : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void vcardLinesFoldedAtSeventyFiveOctets();
    void independentReaderReadsOurCards_data();
    void independentReaderReadsOurCards();
    void samplesOfEachFormat_data();
    void samplesOfEachFormat();
    void badInput_data();
    void badInput();
    void chunkBoundariesChangeNothing();
    void valuesOfAnyLengthAreReadCut();
};

void TestContactFormats::roundTrip_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("vCard 3.0") << "vcard3";
    QTest::newRow("vCard 4.0") << "vcard4";
    QTest::newRow("CSV ;") << "csv;";
    QTest::newRow("CSV ,") << "csv,";
}

void TestContactFormats::roundTrip()
{
    QFETCH(QString, format);
    const QList<Contact> contacts = hardContacts();
    const std::vector<Contact> list(contacts.begin(), contacts.end());
    std::vector<Contact> back;
    bool vcard = format.startsWith(QLatin1String("vcard"));
    if (vcard) {
        const auto version =
            format == QLatin1String("vcard4") ? VCardVersion::V40 : VCardVersion::V30;
        const VCardReadResult r = readVCards(writeVCards(list, version));
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        back = r.contacts;
    } else {
        const QChar sep = format.at(3);
        const QByteArray bytes = writeCsv(list, sep);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const CsvReadResult r = readCsv(bytes);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.table.separator, sep);
        const CsvMapping mapping = recognizeHeader(r.table.rows.front());
        QCOMPARE(mapping.layout, CsvLayout::Elvarine);
        back = contactsOfCsv(r.table, mapping);
    }
    QCOMPARE(back.size(), list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        Contact expected = list[i];
        // vCard has one kind of line break: CR LF comes back as LF. CSV keeps it as it was.
        if (vcard)
            expected[Field::Notes] = withLfLineBreaks(expected[Field::Notes]);
        QCOMPARE(shown(back[i]), shown(expected));
    }
}

void TestContactFormats::vcardLinesFoldedAtSeventyFiveOctets()
{
    const QByteArray cards = cardsOf(hardContacts(), VCardVersion::V30);
    QVERIFY(cards.endsWith("END:VCARD\r\n"));
    QVERIFY(!cards.contains("\r\n\r\n"));
    int folded = 0;
    for (const QByteArray& line : cards.split('\n')) {
        if (line.isEmpty())
            continue;
        QVERIFY2(line.endsWith('\r'), line.constData());
        const QByteArray content = line.chopped(1);
        QVERIFY2(content.size() <= 75, content.constData());
        // Each physical line is whole UTF-8: no character was cut.
        QStringDecoder decoder(QStringDecoder::Utf8);
        (void)decoder.decode(content);
        QVERIFY2(!decoder.hasError(), content.constData());
        folded += content.startsWith(' ');
    }
    QVERIFY(folded >= 2);
    QVERIFY(cards.contains("NOTE:Première ligne\\nDeuxième ligne\\nTroisième : œuvre"));
    QVERIFY(cards.contains("ORG:Ateliers \"Lebrun\"\\, frères\\; fils\r\n"));
    QVERIFY(cards.contains("X-ELVARINE-REFERENCE:R-12\\;A\\,B\r\n"));
    QVERIFY(cards.contains("TEL;TYPE=FAX:04 78 22 22 22\r\n"));
}

void TestContactFormats::independentReaderReadsOurCards_data()
{
    QTest::addColumn<int>("version");
    QTest::newRow("3.0") << int(VCardVersion::V30);
    QTest::newRow("4.0") << int(VCardVersion::V40);
}

void TestContactFormats::independentReaderReadsOurCards()
{
    QFETCH(int, version);
    const QString python = QStringLiteral("/usr/bin/python3");
    QProcess probe;
    probe.start(python, {QStringLiteral("-c"), QStringLiteral("import vobject")});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        QSKIP("python3-vobject is not installed (scripts/install-deps.sh installs it)");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cartes.vcf"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(cardsOf(hardContacts(), VCardVersion(version)));
    f.close();
    const char* script = R"(
import json, sys, vobject
out = []
with open(sys.argv[1], encoding='utf-8', newline='') as f:
    text = f.read()
# vobject reads every value as a text (cut at its first comma): the URL, a URI value written as
# it is, is taken from its own line.
raws = text.replace('\r\n ', '').split('BEGIN:VCARD')[1:]
for card, raw in zip(vobject.readComponents(text), raws):
        c = card.contents
        url = None
        for line in raw.split('\r\n'):
            if line.upper().startswith('URL:'):
                url = line[4:]
        def one(name):
            return c[name][0].value if name in c else None
        n = one('n')
        adr = one('adr')
        out.append({
            'fn': one('fn'),
            'family': n.family if n else None, 'given': n.given if n else None,
            'org': one('org'),
            'street': adr.street if adr else None, 'city': adr.city if adr else None,
            'code': adr.code if adr else None, 'country': adr.country if adr else None,
            'tel': [[','.join(t.params.get('TYPE', [])).lower(), t.value] for t in c.get('tel', [])],
            'email': one('email'), 'url': url, 'note': one('note'),
            'ref': one('x-elvarine-reference'),
        })
print(json.dumps(out))
)";
    QProcess p;
    p.start(python, {QStringLiteral("-c"), QString::fromUtf8(script), path});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    const QJsonArray cards = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    const QList<Contact> contacts = hardContacts();
    QCOMPARE(cards.size(), contacts.size());

    const QJsonObject first = cards[0].toObject();
    const Contact& e = contacts[0];
    QCOMPARE(first["family"].toString(), e[Field::Nom]);
    QCOMPARE(first["given"].toString(), e[Field::Prenom]);
    QCOMPARE(first["fn"].toString(), e[Field::Prenom] + " " + e[Field::Nom]);
    QCOMPARE(first["org"].toArray().first().toString(), e[Field::Societe]);
    QCOMPARE(first["street"].toString(), e[Field::Adresse] + "\n" + e[Field::Adresse1]);
    QCOMPARE(first["city"].toString(), e[Field::Ville]);
    QCOMPARE(first["code"].toString(), e[Field::CodePostal]);
    QCOMPARE(first["country"].toString(), e[Field::Pays]);
    const QJsonArray tels = first["tel"].toArray();
    QCOMPARE(tels.size(), 4);
    const QStringList expectedTels{"voice|" + e[Field::Telephone], "voice|" + e[Field::Telephone1],
                                   "fax|" + e[Field::Fax], "cell|" + e[Field::Portable]};
    for (int i = 0; i < 4; ++i) {
        const QJsonArray t = tels[i].toArray();
        QCOMPARE(t[0].toString() + "|" + t[1].toString(), expectedTels[i]);
    }
    QCOMPARE(first["email"].toString(), e[Field::Email]);
    QCOMPARE(first["url"].toString(), e[Field::Url]);
    QCOMPARE(first["note"].toString(), withLfLineBreaks(e[Field::Notes]));
    QCOMPARE(first["ref"].toString(), e[Field::Reference]);
    // Empty fields are left out: no address, no number, no note on the second card.
    const QJsonObject second = cards[1].toObject();
    QCOMPARE(second["family"].toString(), QStringLiteral("Nguyễn"));
    QVERIFY(second["street"].isNull());
    QVERIFY(second["tel"].toArray().isEmpty());
    QVERIFY(second["note"].isNull());
    QCOMPARE(cards[2].toObject()["street"].toString(), contacts[2][Field::Adresse]);
}

void TestContactFormats::samplesOfEachFormat_data()
{
    addColumns<QByteArray, QString, int>("bytes", "fileName", "count");
    QTest::addColumn<QString>("layout");   // CSV only
    QTest::addColumn<QString>("expected"); // the last contact, as shown()

    // vCard 2.1: bare types, quoted-printable with a soft line break, ISO-8859-1, a card inside
    // an AGENT property, a preferred address after another one.
    QTest::newRow("vCard 2.1")
        << QByteArray(
               "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1:Dupr\xe9;Jean;Luc\r\n"
               "FN:Jean Dupr\xc3\xa9\r\n"
               "TEL;WORK;VOICE:01 40 00 00 00\r\nTEL;HOME:01 45 00 00 00\r\n"
               "TEL;VOICE:01 46 00 00 00\r\nTEL;CELL:06 12 34 56 78\r\n"
               "TEL;FAX;WORK:01 40 00 00 01\r\n"
               "ADR;WORK:;;1 avenue du Travail;Paris;;75008;France\r\n"
               "ADR;HOME;PREF;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:;;3 place de "
               "l=E2=80=99=C3=89gl=\r\n"
               "ise=0D=0AEscalier B;Paris;;75004;France\r\n"
               "NOTE;ENCODING=QUOTED-PRINTABLE:Code =3D 12=0D=0Aporte droite\r\n"
               "AGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nN:Agent;Secret\r\nTEL:00\r\nEND:VCARD\r\n"
               "EMAIL;INTERNET:jean@exemple.fr\r\nEND:VCARD\r\n")
        << "a.vcf" << 1 << ""
        << "Nom=Dupré | Prénom=Jean Luc | Adresse=3 place de l’Église | Adresse1=Escalier B | "
           "Code postal=75004 | Ville=Paris | Téléphone=01 40 00 00 00 | Téléphone1=01 45 00 00 00 "
           "| Fax=01 40 00 00 01 | Notes=Code = 12\nporte droite | E-mail=jean@exemple.fr | "
           "Pays=France | Portable=06 12 34 56 78";
    // vCard 3.0: byte-order mark, LF line ends, folded lines, lower-case names, grouped
    // properties, TYPE=pref, escapes, two cards, a photo.
    QTest::newRow("vCard 3.0")
        << QByteArray(
               "\xEF\xBB\xBF"
               "begin:vcard\nversion:3.0\nfn:Paul Martin\nn:Martin;Paul;;;\nend:vcard\n"
               "BEGIN:VCARD\nVERSION:3.0\nFN:Anne Roux\nN:Roux;Anne;;;\n"
               "ORG:Roux\\, Fils et Cie;Atelier\n"
               "item1.ADR;type=HOME:;;9 rue Basse;Tours;;37000;France\n"
               "item2.ADR;type=WORK,pref:;Bâtiment C;14 rue Haute\\nCour du fond;Blois;"
               "Centre;41000;France\nitem2.X-ABLabel:Bureau\n"
               "TEL;type=CELL;type=VOICE:06 98 76 54 32\nTEL;TYPE=home:02 47 00 00 00\n"
               "item3.TEL:02 54 00 00 00\nTEL;TYPE=PAGER:00 11\n"
               "EMAIL;type=INTERNET;type=pref:anne@exemple.fr\nURL:http://roux.example/\n"
               "NOTE:Une note pli\n ée sur deux lignes\\, avec\\nretour\n"
               "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD\n  /2wBDAAMCAgICAgMCAgI\n"
               "END:VCARD\n")
        << "b.vcf" << 2 << ""
        << "Nom=Roux | Prénom=Anne | Société=Roux, Fils et Cie, Atelier | Adresse=14 rue Haute | "
           "Adresse1=Cour du fond, Bâtiment C | Code postal=41000 | Ville=Blois | "
           "Téléphone=02 47 00 00 00 | Téléphone1=02 54 00 00 00 | Notes=Une note pliée sur deux "
           "lignes, avec\nretour | E-mail=anne@exemple.fr | Pays=France | URL=http://roux.example/ "
           "| Portable=06 98 76 54 32";
    // vCard 4.0: PREF parameters, quoted type lists, tel: addresses (their visual separators
    // read as spaces), CR LF; FN only (no N).
    QTest::newRow("vCard 4.0")
        << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Marie-Claire de La Tour\r\n"
                      "ADR;TYPE=home;PREF=2:;;1 rue Un;Caen;;14000;France\r\n"
                      "ADR;TYPE=work;PREF=1:;;2 rue Deux;Rouen;;76000;France\r\n"
                      "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+33-2-31-00-00-00\r\n"
                      "TEL;VALUE=uri;TYPE=\"fax,work\":tel:+33-2-35-00-00-01\r\n"
                      "EMAIL;PREF=1:mc@exemple.fr\r\nX-ELVARINE-REFERENCE:CL-7\r\nEND:VCARD\r\n")
        << "c.vcf" << 1 << ""
        << "Nom=Tour | Prénom=Marie-Claire de La | Adresse=2 rue Deux | Code postal=76000 | "
           "Ville=Rouen | Téléphone=+33 2 31 00 00 00 | Fax=+33 2 35 00 00 01 | Référence=CL-7 | "
           "E-mail=mc@exemple.fr | Pays=France";
    QTest::newRow("vCard Windows-1252")
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN;CHARSET=Windows-1252:\x8C"
                      "uvrard;"
                      "Fran\xe7oise\r\nNOTE;CHARSET=windows-1252:Prix : 10 \x80\r\nEND:VCARD\r\n")
        << "d.vcf" << 1 << ""
        << "Nom=Œuvrard | Prénom=Françoise | Notes=Prix : 10 €";

    // Our own CSV, read back whatever the order of its columns.
    QTest::newRow("CSV Elvarine")
        << QByteArray("\xEF\xBB\xBF"
                      "Notes;Nom;Prénom;Port.;Localité\r\n"
                      "\"deux\r\nlignes\";Petit;Luc;06 01;Nancy\r\n")
        << "e.csv" << 1 << "Elvarine"
        << "Nom=Petit | Prénom=Luc | Ville=Nancy | Notes=deux\r\nlignes | Portable=06 01";
    // Google Contacts: numbered columns, typed numbers, several values in one cell.
    QTest::newRow("CSV Google")
        << QByteArray(
               "Name,Given Name,Additional Name,Family Name,Nickname,Birthday,Notes,"
               "Group Membership,E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,"
               "Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,Phone 3 - Type,"
               "Phone 3 - Value,Address 1 - Type,Address 1 - Formatted,Address 1 - Street,"
               "Address 1 - City,Address 1 - PO Box,Address 1 - Region,"
               "Address 1 - Postal Code,Address 1 - Country,Address 1 - Extended Address,"
               "Organization 1 - Type,Organization 1 - Name,Website 1 - Type,"
               "Website 1 - Value\r\n"
               "Jean Dupont,Jean,,Dupont,Jeannot,1970-01-01,\"Rencontré à Lyon, \"\"salon\"\"\","
               "* myContacts,* Home,jean@exemple.fr ::: jd@exemple.fr,Mobile,"
               "06 11 22 33 44 ::: 06 55 66 77 88,Work Fax,01 99 00 00 00,Home,"
               "01 45 00 00 00,Home,\"5 rue Haute\nNantes\",5 rue Haute,Nantes,,,44000,"
               "France,,,Acme,Profile,https://jd.example\r\n")
        << "f.csv" << 1 << "Google Contacts"
        << "Nom=Dupont | Prénom=Jean | Société=Acme | Adresse=5 rue Haute | Code postal=44000 | "
           "Ville=Nantes | Téléphone=01 45 00 00 00 | Fax=01 99 00 00 00 | Notes=Rencontré à Lyon, "
           "\"salon\" | E-mail=jean@exemple.fr | Pays=France | URL=https://jd.example | "
           "Portable=06 11 22 33 44";
    QTest::newRow("CSV Outlook")
        << QByteArray("Title,First Name,Middle Name,Last Name,Suffix,Company,Department,"
                      "Job Title,Business Street,Business Street 2,Business City,Business State,"
                      "Business Postal Code,Business Country/Region,Home Street,Home City,"
                      "Home Postal Code,Home Country/Region,Business Fax,Business Phone,"
                      "Home Phone,Mobile Phone,E-mail Address,E-mail Type,Notes,Web Page\r\n"
                      ",Claire,Anne,Bernard,,Bernard SA,Ventes,Directrice,10 quai Est,Porte 4,"
                      "Lille,,59000,France,,,,,03 20 00 00 01,03 20 00 00 00,03 20 99 99 99,"
                      "07 00 00 00 00,claire@exemple.fr,SMTP,Cliente,www.bernard.example\r\n")
        << "g.csv" << 1 << "Outlook"
        << "Nom=Bernard | Prénom=Claire Anne | Société=Bernard SA | Adresse=10 quai Est | "
           "Adresse1=Porte 4 | Code postal=59000 | Ville=Lille | Téléphone=03 20 99 99 99 | "
           "Téléphone1=03 20 00 00 00 | Fax=03 20 00 00 01 | Notes=Cliente | "
           "E-mail=claire@exemple.fr | Pays=France | URL=www.bernard.example | "
           "Portable=07 00 00 00 00";
    // Outlook in French: Windows-1252, semicolons.
    QTest::newRow("CSV Outlook français")
        << toCp1252(QStringLiteral(
               "Titre;Prénom;Deuxième prénom;Nom;Suffixe;Société;Rue (domicile);"
               "Ville (domicile);Code postal (domicile);Pays/Région (domicile);"
               "Téléphone (domicile);Télécopie (domicile);Tél. mobile;Adresse de messagerie;"
               "Page Web;Notes\r\n"
               ";Hélène;;Müller;;;7 allée des Pins;Annecy;74000;France;04 50 00 00 00;"
               "04 50 00 00 01;06 50 00 00 00;helene@exemple.fr;;Amie d'école\r\n"))
        << "h.csv" << 1 << "Outlook (en français)"
        << "Nom=Müller | Prénom=Hélène | Adresse=7 allée des Pins | Code postal=74000 | "
           "Ville=Annecy | Téléphone=04 50 00 00 00 | Fax=04 50 00 00 01 | Notes=Amie d'école | "
           "E-mail=helene@exemple.fr | Pays=France | Portable=06 50 00 00 00";
    // Thunderbird, as UTF-16 with its byte-order mark and tabs.
    const QString thunderbird = QStringLiteral(
        "First Name\tLast Name\tDisplay Name\tNickname\tPrimary Email\tSecondary Email\t"
        "Work Phone\tHome Phone\tFax Number\tPager Number\tMobile Number\tHome Address\t"
        "Home Address 2\tHome City\tHome State\tHome ZipCode\tHome Country\tWork Address\t"
        "Work City\tWork ZipCode\tOrganization\tWeb Page 1\tNotes\r\n"
        "\t\tSøren Kierkegaard\t\t\tsoren@exemple.dk\t33 00 00 00\t\t\t\t\t\t\t\t\t\t\t"
        "Nørregade 10\tKøbenhavn\t1165\tUniversité\t\t\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(thunderbird.utf16()), thunderbird.size() * 2);
    QTest::newRow("CSV Thunderbird UTF-16")
        << utf16 << "i.csv" << 1 << "Thunderbird"
        << "Nom=Kierkegaard | Prénom=Søren | Société=Université | Adresse=Nørregade 10 | "
           "Code postal=1165 | Ville=København | Téléphone=33 00 00 00 | "
           "E-mail=soren@exemple.dk";
}

void TestContactFormats::samplesOfEachFormat()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fileName);
    QFETCH(int, count);
    QFETCH(QString, layout);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    const ContactsFile file = readWritten(path, bytes);
    QVERIFY2(file.error.isEmpty(), qPrintable(file.error));
    QVERIFY(!file.needsMapping);
    if (!layout.isEmpty())
        QCOMPARE(layoutName(file.mapping.layout), layout);
    const std::vector<Contact> contacts = contactsOfFile(file);
    QCOMPARE(file.count, count);
    QCOMPARE(int(contacts.size()), count);
    QCOMPARE(shown(contacts.back()), expected);
}

void TestContactFormats::badInput_data()
{
    addColumns<QByteArray, QString, QString>("bytes", "fileName", "reason");

    QTest::newRow("empty") << QByteArray() << "a.vcf"
                           << "le fichier est vide.";
    QTest::newRow("blank CSV") << QByteArray(" \r\n\r\n") << "a.csv"
                               << "le fichier est vide.";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "a.vcf"
                            << "c'est un fichier binaire, pas un fichier de cartes de visite.";
    QTest::newRow("binary as CSV") << QByteArray("PK\x03\x04\x14\0\x06\0", 8) << "a.csv"
                                   << "c'est un fichier binaire, pas un fichier texte CSV.";
    QTest::newRow("truncated card")
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Un;Premier;;;\r\nEND:VCARD\r\n"
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Deux;Second;;;\r\nTEL:01")
        << "a.vcf"
        << "la carte de visite n° 2, commencée ligne 5, est incomplète (END:VCARD manquant).";
    QTest::newRow("text named .vcf")
        << QByteArray("Bonjour,\nceci est une lettre.\n") << "a.vcf"
        << "ce n'est pas un fichier de cartes de visite vCard (la ligne 1 n'est pas "
           "BEGIN:VCARD).";
    QTest::newRow("text after a card")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:Un;;;;\nEND:VCARD\nbonjour\n") << "a.vcf"
        << "ligne 5 : texte en dehors d'une carte de visite (BEGIN:VCARD attendu).";
    QTest::newRow("neither vCard nor CSV")
        << QByteArray("Bonjour\nceci est une lettre\n") << "lettre.txt"
        << "ce n'est ni un fichier de cartes de visite vCard ni un fichier CSV (une seule "
           "colonne, sans nom de champ connu).";
    QTest::newRow("unterminated quote")
        << QByteArray("Nom;Prénom\nDurand;\"Marie\nBernard;Luc\n") << "a.csv"
        << "le guillemet ouvert ligne 2 n'est jamais fermé : le fichier est incomplet.";
    QTest::newRow("vCard 3.0 not in UTF-8")
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dupr\xe9;Jean;;;\r\nEND:VCARD\r\n")
        << "a.vcf"
        << "ligne 3 : le texte n'est pas codé en UTF-8 comme il le devrait (codage des "
           "caractères incorrect).";
    QTest::newRow("declared UTF-8, is not")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE;CHARSET=UTF-8:caf\xe9\r\nEND:VCARD\r\n")
        << "a.vcf"
        << "ligne 3 : le texte n'est pas codé en UTF-8 comme il le devrait (codage des "
           "caractères incorrect).";
    QTest::newRow("unknown character set")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=X-NOWHERE:a;b\r\nEND:VCARD\r\n")
        << "a.vcf"
        << "ligne 3 : jeu de caractères « X-NOWHERE » inconnu.";
    QTest::newRow("CSV with a false UTF-8 mark")
        << QByteArray("\xEF\xBB\xBFNom;Pr\xe9nom\r\n") << "a.csv"
        << "le texte n'est pas de l'UTF-8 valide alors que son début l'annonce (codage des "
           "caractères incorrect).";
}

void TestContactFormats::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fileName);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    const ContactsFile file = readWritten(path, bytes);
    QCOMPARE(file.error, importFailureText(path, reason));
    QCOMPARE(file.count, 0);
    QVERIFY(!file.needsMapping);
}

// Files read a few bytes at a time give what one read of the whole file gives: characters,
// quoted CSV values, CR LF and folded or soft-broken vCard lines cut anywhere.
void TestContactFormats::chunkBoundariesChangeNothing()
{
    const QByteArray csv = QByteArray("\xEF\xBB\xBFNom;Prénom;Notes\r\n") +
                           "Été;\"Zoë \"\"la\"\"; grande\";\"deux\r\nlignes 😀\"\r\n"
                           "\r\nŒuvre;\"\";fin\r\n\"\"\"\";x;\"a\"b\r";
    QString wide = QStringLiteral("Nom,Notes\nÉmile 😀,\"a,\"\"b\"\"\nc\"\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(wide.utf16()), wide.size() * 2);
    const QByteArray latin = QByteArray("Nom;Ville\r\nLef\xe8vre;S\xe8te\r\n");
    const QByteArray vcf =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dur\xc3\xa9;Ana\xc3\xafs;;;\r\nNOTE:une longue "
        "no\r\n te pli\xc3\xa9\r\n\te\\n suite\r\nEND:VCARD\r\nBEGIN:VCARD\nVERSION:2.1\n"
        "N;CHARSET=ISO-8859-1:Lef\xe8vre;Jean\nNOTE;ENCODING=QUOTED-PRINTABLE:caf=C3=A9 =\n"
        "cr=C3=A8me=\n\nEND:VCARD\rBEGIN:VCARD\rFN:Bob Sans\rEND:VCARD\r";
    for (const QByteArray& bytes : {csv, utf16, latin}) {
        ByteSource whole(bytes, bytes.size() + 1);
        const CsvReadResult expected = readCsv(whole);
        QVERIFY2(expected.error.isEmpty(), qPrintable(expected.error));
        QVERIFY(expected.table.rows.size() >= 2);
        for (qsizetype chunk = 1; chunk <= 7; ++chunk) {
            ByteSource source(bytes, chunk);
            const CsvReadResult r = readCsv(source);
            QCOMPARE(r.error, expected.error);
            QCOMPARE(r.table.rows, expected.table.rows);
            QCOMPARE(r.table.encoding, expected.table.encoding);
            QCOMPARE(r.table.separator, expected.table.separator);
        }
    }
    const std::vector<QStringList> rows = readCsv(csv).table.rows;
    QCOMPARE(rows.size(), size_t(4));
    QCOMPARE(rows[1], QStringList({"Été", "Zoë \"la\"; grande", "deux\r\nlignes 😀"}));
    QCOMPARE(rows[3], QStringList({"\"", "x", "ab"}));

    auto cardsOf = [](ByteSource& source, VCardReadResult& result) {
        std::vector<QString> shownCards;
        result = readVCards(source, [&shownCards](Contact& c) {
            shownCards.push_back(shown(c));
            return true;
        });
        return shownCards;
    };
    ByteSource whole(vcf, vcf.size() + 1);
    VCardReadResult expected;
    const std::vector<QString> cards = cardsOf(whole, expected);
    QVERIFY2(expected.error.isEmpty(), qPrintable(expected.error));
    QCOMPARE(cards.size(), size_t(3));
    QVERIFY2(cards[0].contains(QStringLiteral("Notes=une longue note pliée\n suite")),
             qPrintable(cards[0]));
    QVERIFY2(cards[1].contains(QStringLiteral("Notes=café crème")), qPrintable(cards[1]));
    for (qsizetype chunk = 1; chunk <= 7; ++chunk) {
        ByteSource source(vcf, chunk);
        VCardReadResult r;
        QCOMPARE(cardsOf(source, r), cards);
        QCOMPARE(r.error, expected.error);
        QCOMPARE(r.cards, 3);
    }
    // An error found late still says first what the whole file is: here, binary.
    const QByteArray late = vcf + "texte\r\n" + QByteArray(1, '\0');
    for (qsizetype chunk : {qsizetype(3), late.size() + 1}) {
        ByteSource source(late, chunk);
        VCardReadResult r;
        cardsOf(source, r);
        QCOMPARE(r.error,
                 QStringLiteral("c'est un fichier binaire, pas un fichier de cartes de visite."));
    }
}

// A value far longer than any field is kept cut, followed by "…" (so the import leaves it out
// as too long, whatever its length): a line is never held whole, and the cut never splits a
// character nor an escape.
void TestContactFormats::valuesOfAnyLengthAreReadCut()
{
    const qsizetype many = 3 * 1024 * 1024;
    QByteArray qpFolded;
    for (qsizetype i = 0; i < many / 60; ++i)
        qpFolded += "=C3=A9=C3=A9=C3=A9=C3=A9=C3=A9=C3=A9=C3=A9=C3=A9=C3=A9=C3=A9=\r\n";
    const QByteArray vcf =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dupont;Jean;;;\r\nNOTE:a" + QByteArray(many, 'x') +
        "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Durand;Zoé;;;\r\nNOTE:" +
        QString(many / 2, QChar(u'é')).toUtf8() + "\\n\r\n \\n\r\nEND:VCARD\r\n" +
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Petit;Luc\r\nNOTE;ENCODING=QUOTED-PRINTABLE:" + qpFolded +
        "fin\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Martin;Paul;;;\r\n"
        "END:VCARD\r\n";
    ByteSource source(vcf);
    std::vector<Contact> cards;
    const VCardReadResult r = readVCards(source, [&cards](Contact& c) {
        cards.push_back(c);
        return true;
    });
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QCOMPARE(cards.size(), size_t(4));
    const QChar more(0x2026);
    for (int i : {0, 1, 2}) {
        const QString notes = cards[size_t(i)][Field::Notes];
        QVERIFY2(notes.endsWith(more) && notes.size() > 255 && notes.size() <= 1024 * 1024 + 1,
                 qPrintable(QString::number(notes.size())));
        const QChar body = i == 0 ? QChar('x') : QChar(u'é');
        QVERIFY2(notes.sliced(1, notes.size() - 2).count(body) == notes.size() - 2,
                 qPrintable(QStringLiteral("%1: …%2").arg(i).arg(notes.right(8))));
    }
    QCOMPARE(cards[1][Field::Prenom], QStringLiteral("Zoé"));
    QCOMPARE(cards[3][Field::Nom], QStringLiteral("Martin"));

    const QByteArray csv =
        "Nom;Notes\r\nDupont;\"" + QByteArray(many, 'y') + "\"\r\nMartin;fin\r\n";
    const CsvReadResult table = readCsv(csv);
    QVERIFY2(table.error.isEmpty(), qPrintable(table.error));
    QCOMPARE(table.table.rows.size(), size_t(3));
    QCOMPARE(table.table.rows[1][1].size(), kLongestCsvCell + 1);
    QVERIFY(table.table.rows[1][1].endsWith(more));
    QCOMPARE(table.table.rows[2], QStringList({"Martin", "fin"}));
}

QTEST_GUILESS_MAIN(TestContactFormats)
#include "tst_contactformats.moc"

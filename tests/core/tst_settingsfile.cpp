#include "core/cp1252.h"
#include "core/numbertext.h"
#include "core/settingsfile.h"
#include "datacolumns.h"

#include <QTemporaryDir>
#include <QTest>

class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void singleText_data();
    void singleText();
    void doubleText_data();
    void doubleText();
    void leadingNumber_data();
    void leadingNumber();
    void writesTheDefaultParametersByteForByte();
    void readsLooselyWhateverTheLineStructure();
    void quotedTextKeepsInnerQuotes();
    void readsBooleansNumbersAndTexts();
    void windows1252RoundTrip();
    void everyByteComesBackUnchanged();
    void wholeFileWriteReplacesOrFails();
};

void TestSettingsFile::singleText_data()
{
    addColumns<double, QString>("value", "text");
    QTest::newRow("whole") << 45.0 << "45";
    QTest::newRow("half") << 8.5 << "8.5";
    QTest::newRow("quarter") << 8.25 << "8.25";
    QTest::newRow("green") << 65280.0 << "65280";
    QTest::newRow("negative") << -3.0 << "-3";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("below one") << 0.5 << "0.5";
    QTest::newRow("blue") << 16711680.0 << "1.671168E+07";
    QTest::newRow("white") << 16777215.0 << "1.677722E+07";
    QTest::newRow("seven digits") << 9999999.0 << "9999999";
    QTest::newRow("single rounding") << 0.1 << "0.1";
    QTest::newRow("tiny") << 0.00001 << "1E-05";
}

void TestSettingsFile::singleText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(::singleText(value), text);
}

void TestSettingsFile::doubleText_data()
{
    addColumns<double, QString>("value", "text");
    QTest::newRow("margin") << 5.0 << "5";
    QTest::newRow("fraction") << 12.5 << "12.5";
    QTest::newRow("three quarters") << 9.75 << "9.75";
    QTest::newRow("negative") << -3.0 << "-3";
    QTest::newRow("fifteen digits") << 0.1 + 0.2 << "0.3";
    QTest::newRow("large") << 12345678.0 << "12345678";
}

void TestSettingsFile::doubleText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(::doubleText(value), text);
}

void TestSettingsFile::leadingNumber_data()
{
    addColumns<QString, double>("text", "value");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("plain") << "90" << 90.0;
    QTest::newRow("letters after") << "12.5cm" << 12.5;
    QTest::newRow("negative") << "-3" << -3.0;
    QTest::newRow("leading spaces") << "  7" << 7.0;
    QTest::newRow("letters only") << "abc" << 0.0;
    QTest::newRow("comma is not a point") << "12,5" << 12.0;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("two points") << "1.2.3" << 1.2;
    QTest::newRow("exponent") << "1E3" << 1000.0;
    QTest::newRow("E without digits") << "5Eu" << 5.0;
}

void TestSettingsFile::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(::leadingNumber(text), value);
}

void TestSettingsFile::writesTheDefaultParametersByteForByte()
{
    SettingsWriter w;
    for (double v : {5.0, 0.0, 0.0, 0.0, 90.0, 45.0})
        w.real(v);
    w.endLine();
    w.boolean(true);
    w.boolean(true);
    w.endLine();
    w.text(QStringLiteral("Arial"));
    w.endLine();
    w.single(10);
    w.endLine();
    w.boolean(false);
    w.endLine();
    w.boolean(false);
    w.endLine();
    w.integer(0);
    w.endLine();
    QCOMPARE(w.bytes(),
             QByteArray("5,0,0,0,90,45\r\n#TRUE#,#TRUE#\r\n\"Arial\"\r\n10\r\n#FALSE#\r\n"
                        "#FALSE#\r\n0\r\n"));
}

void TestSettingsFile::readsLooselyWhateverTheLineStructure()
{
    // The same values on one line, one per line, with spaces and LF-only ends.
    const QByteArray forms[] = {
        "\"Dupont\",\"\",12.5,#TRUE#,-1\r\n",
        "\"Dupont\"\r\n\"\"\r\n12.5\r\n#TRUE#\r\n-1\r\n",
        "  \"Dupont\",  \"\" ,  12.5 , #TRUE#,-1\n",
    };
    for (const QByteArray& bytes : forms) {
        SettingsReader r(bytes);
        auto a = r.next();
        QVERIFY(a);
        QCOMPARE(a->kind, SettingsItem::Text);
        QCOMPARE(a->text, QStringLiteral("Dupont"));
        auto b = r.next();
        QVERIFY(b);
        QCOMPARE(b->kind, SettingsItem::Text);
        QCOMPARE(b->text, QString());
        auto c = r.next();
        QVERIFY(c && c->kind == SettingsItem::Number);
        QCOMPARE(c->number, 12.5);
        auto d = r.next();
        QVERIFY(d && d->isTrue());
        auto e = r.next();
        QVERIFY(e && e->isTrue());
        QVERIFY(!r.next());
    }
}

void TestSettingsFile::quotedTextKeepsInnerQuotes()
{
    SettingsReader r(QByteArray("\"Le \"Grand\" Garage\",\"suite\"\r\n8.5\r\n"));
    QCOMPARE(r.next()->text, QStringLiteral("Le \"Grand\" Garage"));
    QCOMPARE(r.next()->text, QStringLiteral("suite"));
    QCOMPARE(r.next()->number, 8.5);
    QVERIFY(!r.next());
    // A quote that never closes runs to the end of its line only.
    SettingsReader open(QByteArray("\"sans fin\r\n42\r\n"));
    QCOMPARE(open.next()->text, QStringLiteral("sans fin"));
    QCOMPARE(open.next()->number, 42.0);
}

void TestSettingsFile::readsBooleansNumbersAndTexts()
{
    SettingsReader r(QByteArray("1,#FALSE#,abc,1.671168E+07,,-0.5\r\n"));
    auto one = r.next();
    QCOMPARE(one->kind, SettingsItem::Number);
    QVERIFY(!one->isTrue()); // only -1 counts as true among numbers
    auto f = r.next();
    QCOMPARE(f->kind, SettingsItem::Boolean);
    QCOMPARE(*f->toNumber(), 0.0);
    auto text = r.next();
    QCOMPARE(text->kind, SettingsItem::Text);
    QVERIFY(!text->toNumber());
    auto exp = r.next();
    QCOMPARE(exp->number, 16711680.0);
    auto empty = r.next();
    QCOMPARE(empty->kind, SettingsItem::Empty);
    QCOMPARE(*empty->toNumber(), 0.0);
    QCOMPARE(r.next()->number, -0.5);
    QVERIFY(!r.next());
}

void TestSettingsFile::windows1252RoundTrip()
{
    const QString text = QStringLiteral("Société Léon € œ « »");
    const QByteArray bytes = toCp1252(text);
    QCOMPARE(bytes.size(), text.size());
    QCOMPARE(static_cast<unsigned char>(bytes.at(4)), 0xE9);  // é
    QCOMPARE(static_cast<unsigned char>(bytes.at(13)), 0x80); // €
    QCOMPARE(fromCp1252(bytes), text);
    QCOMPARE(toCp1252(QStringLiteral("漢")), QByteArray("?"));
}

void TestSettingsFile::everyByteComesBackUnchanged()
{
    // Every byte but the line ends, the comma and the quote, in a quoted text read and written
    // back: the five bytes Windows-1252 leaves undefined among them.
    QByteArray all;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n' && b != ',' && b != '"')
            all.append(char(b));
    }
    QCOMPARE(toCp1252(fromCp1252(all)), all);
    SettingsReader r("\"" + all + "\"\r\n");
    const auto item = r.next();
    QVERIFY(item);
    SettingsWriter w;
    w.text(item->text);
    w.endLine();
    QCOMPARE(w.bytes(), "\"" + all + "\"\r\n");
    for (const char undefined : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'})
        QCOMPARE(toCp1252(fromCp1252(QByteArray(1, undefined))), QByteArray(1, undefined));
}

void TestSettingsFile::wholeFileWriteReplacesOrFails()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.cfg"));
    QVERIFY(writeWholeFile(path, "first\r\n"));
    QVERIFY(writeWholeFile(path, "0\r\n"));
    QCOMPARE(*readWholeFile(path), QByteArray("0\r\n"));
    QVERIFY(!writeWholeFile(dir.filePath(QStringLiteral("missing/a.cfg")), "x"));
    QVERIFY(!readWholeFile(dir.filePath(QStringLiteral("none"))));
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"

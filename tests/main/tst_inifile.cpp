// The settings file reader and writer against the profile semantics.

#include "OrdinaryUser.h"
#include "TestSupport.h"
#include "base/Cp1252.h"
#include "base/Modulo1.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace slx;

class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString write(const QByteArray &bytes)
    {
        const QString p = dir.filePath(QStringLiteral("t.ini"));
        QFile f(p);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return p;
    }
    QByteArray contents(const QString &p)
    {
        QFile f(p);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("defecto");
        QTest::addColumn<QString>("expected");

        const QByteArray base = "[Configuration]\r\nSerialPort=2\r\nLanguage=1027\r\n";
        QTest::newRow("plain") << base << "Configuration"
                               << "SerialPort"
                               << ""
                               << "2";
        QTest::newRow("section and key ignore case") << base << "CONFIGURATION"
                                                     << "serialport"
                                                     << ""
                                                     << "2";
        QTest::newRow("missing key gives default") << base << "Configuration"
                                                   << "Modem"
                                                   << "x"
                                                   << "x";
        QTest::newRow("missing key, empty default") << base << "Configuration"
                                                    << "Modem"
                                                    << ""
                                                    << "";
        QTest::newRow("default loses trailing blanks") << base << "Configuration"
                                                       << "Modem"
                                                       << "ab  "
                                                       << "ab";
        QTest::newRow("missing section") << base << "Ports"
                                         << "COM1"
                                         << ""
                                         << "";
        QTest::newRow("LF line ends") << QByteArray("[Configuration]\nUser=Ana\n") << "Configuration"
                                      << "User"
                                      << ""
                                      << "Ana";
        QTest::newRow("no final line break") << QByteArray("[Configuration]\r\nUser=Ana") << "Configuration"
                                             << "User"
                                             << ""
                                             << "Ana";
        QTest::newRow("blanks around name and value")
            << QByteArray("  [ Configuration ]  \r\n  User  =   Ana Pons   \r\n") << "Configuration"
            << "User"
            << ""
            << "Ana Pons";
        QTest::newRow("double quotes removed") << QByteArray("[c]\r\nk=\"  x  \"\r\n") << "c"
                                               << "k"
                                               << ""
                                               << "  x  ";
        QTest::newRow("single quotes removed") << QByteArray("[c]\r\nk='x'\r\n") << "c"
                                               << "k"
                                               << ""
                                               << "x";
        QTest::newRow("unmatched quote kept") << QByteArray("[c]\r\nk=\"x\r\n") << "c"
                                              << "k"
                                              << ""
                                              << "\"x";
        QTest::newRow("one pair only") << QByteArray("[c]\r\nk=\"\"x\"\"\r\n") << "c"
                                       << "k"
                                       << ""
                                       << "\"x\"";
        QTest::newRow("empty value") << QByteArray("[c]\r\nk=\r\n") << "c"
                                     << "k"
                                     << "d"
                                     << "";
        QTest::newRow("value holds =") << QByteArray("[c]\r\nk=a=b\r\n") << "c"
                                       << "k"
                                       << ""
                                       << "a=b";
        QTest::newRow("line without =") << QByteArray("[c]\r\njunk line\r\nk=1\r\n") << "c"
                                        << "k"
                                        << ""
                                        << "1";
        QTest::newRow("comment line skipped") << QByteArray("[c]\r\n;k=2\r\nk=1\r\n") << "c"
                                              << "k"
                                              << ""
                                              << "1";
        QTest::newRow("first key wins") << QByteArray("[c]\r\nk=1\r\nK=2\r\n") << "c"
                                        << "k"
                                        << ""
                                        << "1";
        QTest::newRow("first section wins") << QByteArray("[c]\r\nk=1\r\n[C]\r\nk=2\r\n") << "c"
                                            << "k"
                                            << ""
                                            << "1";
        QTest::newRow("key of another section") << QByteArray("[a]\r\nk=1\r\n[c]\r\nj=2\r\n") << "c"
                                                << "k"
                                                << "-"
                                                << "-";
        QTest::newRow("keys before any section") << QByteArray("k=1\r\n[c]\r\n") << "c"
                                                 << "k"
                                                 << "-"
                                                 << "-";
        QTest::newRow("Windows-1252 bytes") << QByteArray("[c]\r\nk=Serveis T\xe8"
                                                          "cnics \x80\r\n")
                                            << "c"
                                            << "k"
                                            << "" << QString::fromUtf8("Serveis Tècnics €");
        QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBF[c]\r\nk=Tècnic\r\n") << "c"
                                   << "k"
                                   << "" << QString::fromUtf8("Tècnic");
        QTest::newRow("blank lines inside section") << QByteArray("[c]\r\n\r\n\r\nk=1\r\n") << "c"
                                                    << "k"
                                                    << ""
                                                    << "1";
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, defecto);
        QFETCH(QString, expected);
        QCOMPARE(LeerIni(section, key, defecto, write(file)), expected);
    }

    void readMissingFileGivesDefault() { QCOMPARE(LeerIni("c", "k", "d", dir.filePath("none.ini")), QString("d")); }

    void readCutsAt254()
    {
        const QByteArray v(300, 'a');
        QCOMPARE(LeerIni("c", "k", "", write("[c]\r\nk=" + v + "\r\n")), QString(254, QLatin1Char('a')));
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("replace in place") << QByteArray("[c]\r\na=1\r\nk=old\r\nb=2\r\n") << "c"
                                          << "K"
                                          << "new" << QByteArray("[c]\r\na=1\r\nk=new\r\nb=2\r\n");
        QTest::newRow("new key after the section's last key")
            << QByteArray("[c]\r\na=1\r\n\r\n[d]\r\nx=1\r\n") << "c"
            << "k"
            << "v" << QByteArray("[c]\r\na=1\r\nk=v\r\n\r\n[d]\r\nx=1\r\n");
        QTest::newRow("new section at the end") << QByteArray("[c]\r\na=1\r\n") << "d"
                                                << "k"
                                                << "v" << QByteArray("[c]\r\na=1\r\n\r\n[d]\r\nk=v\r\n");
        QTest::newRow("LF file stays LF") << QByteArray("[c]\na=1\n") << "c"
                                          << "a"
                                          << "2" << QByteArray("[c]\na=2\n");
        QTest::newRow("other lines untouched") << QByteArray("; note\r\n[c]\r\n  odd line\r\nk=1\r\n") << "c"
                                               << "k"
                                               << "2" << QByteArray("; note\r\n[c]\r\n  odd line\r\nk=2\r\n");
        QTest::newRow("written as Windows-1252") << QByteArray("[c]\r\n") << "c"
                                                 << "k" << QString::fromUtf8("Tècnic €")
                                                 << QByteArray("[c]\r\nk=T\xe8"
                                                               "cnic \x80\r\n");
        QTest::newRow("UTF-8 file stays UTF-8") << QByteArray("\xEF\xBB\xBF[c]\r\nk=Serveis\r\n") << "c"
                                                << "k" << QString::fromUtf8("Tècnic")
                                                << QByteArray("\xEF\xBB\xBF[c]\r\nk=T\xC3\xA8"
                                                              "cnic\r\n");
        QTest::newRow("line break in value flattened") << QByteArray("[c]\r\n") << "c"
                                                       << "k"
                                                       << "a\r\nx=1" << QByteArray("[c]\r\nk=a  x=1\r\n");
        QTest::newRow("empty value") << QByteArray("[c]\r\nk=1\r\n") << "c"
                                     << "k"
                                     << "" << QByteArray("[c]\r\nk=\r\n");
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const QString p = write(before);
        QVERIFY(GrabaIni(section, key, value, p));
        QCOMPARE(contents(p), after);
    }

    // The form a file is read in: UTF-8 when it has a BOM or is valid UTF-8 beyond ASCII
    // (as modern editors save it), Windows-1252 otherwise; a value written into it is
    // written in that same form.
    void encodingFollowsTheFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QString tecnic = QString::fromUtf8("Servei Tècnic");
        const QString angel = QString::fromUtf8("Cal Àngel €");
        QTest::newRow("UTF-8 without BOM") << QByteArray("[c]\r\nUser=Servei T\xC3\xA8" "cnic\r\n") << tecnic
                                           << angel << QByteArray("[c]\r\nUser=Cal \xC3\x80ngel \xE2\x82\xAC\r\n");
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF[c]\r\nUser=Servei T\xC3\xA8" "cnic\r\n")
                                        << tecnic << angel
                                        << QByteArray("\xEF\xBB\xBF[c]\r\nUser=Cal \xC3\x80ngel \xE2\x82\xAC\r\n");
        QTest::newRow("Windows-1252") << QByteArray("[c]\r\nUser=Servei T\xE8" "cnic\r\n") << tecnic << angel
                                      << QByteArray("[c]\r\nUser=Cal \xC0ngel \x80\r\n");
        QTest::newRow("plain ASCII is Windows-1252") << QByteArray("[c]\r\nUser=Ana\r\n") << "Ana" << angel
                                                     << QByteArray("[c]\r\nUser=Cal \xC0ngel \x80\r\n");
        // Bytes that only look like UTF-8 at first are Windows-1252.
        QTest::newRow("overlong form") << QByteArray("[c]\r\nk=\xC0\xAF\r\nUser=\xC3\xA8\r\n")
                                       << QString::fromUtf8("Ã¨") << "x"
                                       << QByteArray("[c]\r\nk=\xC0\xAF\r\nUser=x\r\n");
        QTest::newRow("surrogate") << QByteArray("[c]\r\nUser=\xED\xA0\x80\r\n") << QString::fromUtf8("í\u00A0€")
                                   << angel << QByteArray("[c]\r\nUser=Cal \xC0ngel \x80\r\n");
        QTest::newRow("character across a line end")
            << QByteArray("[c]\r\nUser=T\xC3\r\n\xA8\r\n") << QString::fromUtf8("TÃ") << "x"
            << QByteArray("[c]\r\nUser=x\r\n\xA8\r\n");
        QTest::newRow("cut inside a character") << QByteArray("[c]\r\nUser=T\xE2\x82") << QString::fromUtf8("Tâ\u201A")
                                                << "x" << QByteArray("[c]\r\nUser=x\r\n");
    }
    void encodingFollowsTheFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        const QString p = write(before);
        QTEST(LeerIni("c", "User", "", p), "read");
        QVERIFY(GrabaIni("c", "User", value, p));
        QTEST(contents(p), "after");
        QCOMPARE(LeerIni("c", "User", "", p), value);
    }

    void writeCreatesFile()
    {
        const QString p = dir.filePath(QStringLiteral("new.ini"));
        QFile::remove(p);
        QVERIFY(GrabaIni("Configuration", "Language", "1027", p));
        QCOMPARE(contents(p), QByteArray("[Configuration]\r\nLanguage=1027\r\n"));
        QCOMPARE(LeerIni("Configuration", "Language", "", p), QString("1027"));
    }

    void writeFailureIsReported()
    {
        slxtest::OrdinaryUser user;
        QVERIFY(user.holds());
        const QString p = write("[c]\r\nk=1\r\n");
        QFile::setPermissions(p, QFile::ReadOwner);
        QVERIFY(!GrabaIni("c", "k", "2", p));
        QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(LeerIni("c", "k", "", p), QString("1"));

        QTemporaryDir ro;
        QFile::setPermissions(ro.path(), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(!GrabaIni("c", "k", "2", ro.filePath("x.ini")));
        QFile::setPermissions(ro.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void writeIntoMissingFolderIsReported()
    {
        QVERIFY(!GrabaIni("c", "k", "2", dir.filePath("no/such/folder/x.ini")));
        // Fails for root too: a path whose folder is a file, and a folder in place of the file.
        const QString p = write("[c]\r\n");
        QVERIFY(!GrabaIni("c", "k", "2", p + "/x.ini"));
        QVERIFY(!GrabaIni("c", "k", "2", dir.path()));
    }

    void cp1252RoundTrip()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        QCOMPARE(toCp1252(fromCp1252(all)), all);
        QCOMPARE(toCp1252(QString::fromUtf8("ĉ")), QByteArray("?"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"

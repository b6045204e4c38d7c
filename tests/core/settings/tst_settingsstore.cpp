#include "core/base/RunTimeError.h"
#include "core/settings/SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class SettingsStoreTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("window left") << u"Settings"_s << u"MainLeft"_s << u"1000"_s;
        QTest::newRow("catalogue path")
            << u"Settings"_s << u"DBName"_s << u"/home/shop/My Catalogue/tovin.mdb"_s;
        QTest::newRow("label with parentheses")
            << u"Settings"_s << u"LabelName(22)"_s << u"Title:"_s;
        QTest::newRow("key with blanks") << u"Options"_s << u"Show Tips at Startup"_s << u"0"_s;
        QTest::newRow("non-ASCII text") << u"Settings"_s << u"LabelName(3)"_s << u"Größe:"_s;
        QTest::newRow("empty text") << u"Settings"_s << u"DBName"_s << QString();
    }
    void roundTrip() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"settings.ini"_s);
        {
            SettingsStore store(file);
            store.setValue(section, key, text);
        }
        SettingsStore again(file);
        QVERIFY(again.contains(section, key));
        QCOMPARE(again.value(section, key, u"default"_s), text);
    }

    // Flags are stored as the words True and False; a missing key gives the default and any
    // other word is a type mismatch.
    void flags() {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(u"s.ini"_s));
        const QString settings = u"Settings"_s;
        QCOMPARE(store.value(settings, u"MainTop"_s, u"1000"_s), u"1000"_s);
        QCOMPARE(store.flag(settings, u"StatusVis"_s, true), true);
        store.setFlag(settings, u"ButtonTxt"_s, false);
        QCOMPARE(store.value(settings, u"ButtonTxt"_s, QString()), u"False"_s);
        QCOMPARE(store.flag(settings, u"ButtonTxt"_s, true), false);
        store.setFlag(settings, u"ButtonTxt"_s, true);
        QCOMPARE(store.value(settings, u"ButtonTxt"_s, QString()), u"True"_s);
        store.setValue(settings, u"StatusVis"_s, u"maybe"_s);
        try {
            store.flag(settings, u"StatusVis"_s, true);
            QFAIL("no error raised");
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), ErrorNumber::TypeMismatch);
        }
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"

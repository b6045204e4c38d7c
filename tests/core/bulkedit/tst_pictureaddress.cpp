#include "core/bulkedit/PictureAddress.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using PictureAddress::Problem;

Q_DECLARE_METATYPE(PictureAddress::Problem)

class PictureAddressTest : public QObject {
    Q_OBJECT
private slots:
    void check_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("stockNo");
        QTest::addColumn<Problem>("problem");
        QTest::newRow("folder only") << u"http://example.com/pics"_s << u"AB7"_s << Problem::None;
        QTest::newRow("slash at the end")
            << u"http://example.com/pics/"_s << u"AB7"_s << Problem::EndsWithSlash;
        QTest::newRow("the product's file")
            << u"http://example.com/pics/AB7.jpg"_s << u"AB7"_s << Problem::HoldsFileName;
        QTest::newRow("file name in other letters")
            << u"http://example.com/pics/ab7.JPG"_s << u"AB7"_s << Problem::HoldsFileName;
        QTest::newRow("the slash is told first")
            << u"http://example.com/AB7.jpg/"_s << u"AB7"_s << Problem::EndsWithSlash;
        QTest::newRow("stock number as a folder")
            << u"http://example.com/AB7/pics"_s << u"AB7"_s << Problem::None;
        QTest::newRow("no stock number shown")
            << u"http://example.com/pics/.jpg"_s << QString() << Problem::None;
    }
    void check() {
        QFETCH(QString, address);
        QFETCH(QString, stockNo);
        QFETCH(Problem, problem);
        QCOMPARE(PictureAddress::check(address, stockNo), problem);
        QCOMPARE(PictureAddress::message(problem).isEmpty(), problem == Problem::None);
    }
};

QTEST_GUILESS_MAIN(PictureAddressTest)
#include "tst_pictureaddress.moc"

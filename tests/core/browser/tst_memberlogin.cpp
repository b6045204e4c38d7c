#include "core/browser/MemberLogin.h"

#include <QTest>
#include <map>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// Which pages receive the shop's member name and password, and how often they are sent.
class MemberLoginTest : public QObject {
    Q_OBJECT

private slots:
    void supplierPages_data() {
        QTest::addColumn<QString>("supplier");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("filled");
        const QString shop = u"http://www.kvb.example/shop"_s;
        QTest::newRow("same host") << shop << u"https://www.kvb.example/login"_s << true;
        QTest::newRow("sub-domain") << shop << u"https://members.kvb.example/login"_s << true;
        QTest::newRow("site without www") << shop << u"https://kvb.example/login"_s << true;
        QTest::newRow("host in capitals") << shop << u"https://MEMBERS.KVB.Example/"_s << true;
        QTest::newRow("address typed without scheme")
            << u"www.kvb.example"_s << u"https://www.kvb.example/login"_s << true;
        QTest::newRow("plain http") << shop << u"http://www.kvb.example/login"_s << false;
        QTest::newRow("name ending alike") << shop << u"https://evilkvb.example/login"_s << false;
        QTest::newRow("site inside another host")
            << shop << u"https://kvb.example.attacker.net/login"_s << false;
        QTest::newRow("other host") << shop << u"https://shop.other.example/login"_s << false;
        QTest::newRow("a host named www is kept whole")
            << u"http://www/"_s << u"https://x.www/login"_s << true;
        QTest::newRow("no supplier address") << QString() << u"https://kvb.example/"_s << false;
        QTest::newRow("supplier address is a local page")
            << u"/opt/tovin/page.htm"_s << u"https://kvb.example/"_s << false;
    }

    void supplierPages() {
        QFETCH(QString, supplier);
        QFETCH(QString, page);
        QFETCH(bool, filled);
        QCOMPARE(MemberLogin::isSupplierPage(QUrl(page), supplier), filled);
    }

    // The address the log-in form sends to, as the page resolved it, decides whether it is
    // filled; a page without the form leaves nothing to decide.
    void formTarget_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("target");
        using T = MemberLogin::Target;
        QTest::newRow("the shop's own host")
            << u"https://www.kvb.example/login"_s << int(T::Supplier);
        QTest::newRow("the shop's host in plain http")
            << u"http://www.kvb.example/login"_s << int(T::Elsewhere);
        QTest::newRow("this machine") << u"http://localhost:8080/steal"_s << int(T::Elsewhere);
        QTest::newRow("another page by now") << u"changed"_s << int(T::NoForm);
        QTest::newRow("no form") << u"noform"_s << int(T::NoForm);
    }
    void formTarget() {
        QFETCH(QString, answer);
        QFETCH(int, target);
        const MemberLogin login(u"http://www.kvb.example/shop"_s, u"maplelane"_s, u"pw"_s);
        QCOMPARE(int(login.formTarget(answer)), target);
    }

    // Pages arriving one after another ('L' the log-in page, 'o' another page of the site,
    // '!' the log-in page when sending the form failed) and what each one gets.
    void sentOnce_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("arrivals");
        QTest::addColumn<QString>("actions"); // S send, R refused, F fill only, - nothing
        QTest::newRow("logged in") << u"pw"_s << u"Lo"_s << u"S-"_s;
        QTest::newRow("refused, then shown again") << u"pw"_s << u"LLL"_s << u"SRF"_s;
        QTest::newRow("back to the log-in page later: filled only")
            << u"pw"_s << u"LoL"_s << u"S-F"_s;
        QTest::newRow("no password: left to the user") << QString() << u"LL"_s << u"--"_s;
        QTest::newRow("form not sent: the next arrival sends it") << u"pw"_s << u"!L"_s << u"SS"_s;
    }

    void sentOnce() {
        QFETCH(QString, password);
        QFETCH(QString, arrivals);
        QFETCH(QString, actions);
        const QString shop = u"https://www.kvb.example/"_s;
        MemberLogin login(shop, u"maplelane"_s, password);
        using A = MemberLogin::Action;
        const std::map<A, QChar> code{
            {A::FillAndSubmit, u'S'}, {A::FillRefused, u'R'}, {A::FillOnly, u'F'}, {A::None, u'-'}};
        QString got;
        for (const QChar arrival : arrivals) {
            const bool logIn = arrival != u'o';
            const MemberLogin::Action action =
                login.pageLoaded(QUrl(shop + (logIn ? u"login"_s : u"members"_s)),
                                 logIn ? MemberLogin::loginTitle() : u"Members"_s);
            if (arrival == u'!')
                login.notSent();
            got += code.at(action);
        }
        QCOMPARE(got, actions);
    }
};

QTEST_MAIN(MemberLoginTest)
#include "tst_memberlogin.moc"

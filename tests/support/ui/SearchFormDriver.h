#pragma once

#include "support/ui/WidgetFinder.h"
#include "ui/products/Search.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

namespace tovin::test {

// Plays user actions, separated by '|', on the open detailed search form:
//   field:N, op:N, sort:N   click optsrch(N), optOperator(N), optSort(N)
//   type:TEXT               type into the value box
//   click:NAME              click a button or tick box by its name
//   search, enter, close    click Search, press Enter in the value box, close by the frame
inline void play(Search& form, const QString& actions) {
    using namespace Qt::Literals::StringLiterals;
    const auto option = [&form](const QString& name, const QString& index) {
        QTest::mouseClick(control<QRadioButton>(&form, name, index.toInt()), Qt::LeftButton);
    };
    for (const QString& action : actions.split(u'|')) {
        const QString arg = action.section(u':', 1);
        if (action.startsWith(u"field:"_s))
            option(u"optsrch"_s, arg);
        else if (action.startsWith(u"op:"_s))
            option(u"optOperator"_s, arg);
        else if (action.startsWith(u"sort:"_s))
            option(u"optSort"_s, arg);
        else if (action.startsWith(u"type:"_s))
            QTest::keyClicks(control<QLineEdit>(&form, u"txtSearch"_s), arg);
        else if (action.startsWith(u"click:"_s) || action == u"search"_s)
            QTest::mouseClick(control<QAbstractButton>(&form, arg.isEmpty() ? u"cmdSrch"_s : arg),
                              Qt::LeftButton);
        else if (action == u"enter"_s)
            QTest::keyClick(control<QLineEdit>(&form, u"txtSearch"_s), Qt::Key_Return);
        else if (action == u"close"_s)
            form.close();
        else
            QFAIL(qPrintable(u"Unknown action "_s + action));
    }
}

// Plays `actions` on the form the Products screen opens modally, once it is up. A form the
// actions leave open is dismissed: it would keep the test waiting.
inline void onSearchForm(const QString& actions) {
    QTimer::singleShot(0, [actions] {
        auto* form = qobject_cast<Search*>(QApplication::activeModalWidget());
        QVERIFY(form);
        play(*form, actions);
        if (form->isVisible())
            form->reject();
    });
}

} // namespace tovin::test

#pragma once

#include <QList>
#include <QString>

namespace tovin {

// A column the detailed search form searches or sorts by.
struct SearchColumn {
    QString caption;
    QString column;
    bool yesNo = false; // compared with True/False, never quoted
};

// An operator of the detailed search form with the texts around the typed value.
struct SearchOperatorChoice {
    QString caption;
    QString operatorText;
    QString before;
    QString after;
};

// The choices of the detailed search form, in the order of its option buttons.
class SearchChoices {
public:
    static constexpr int NullOperator = 7; // "Empty Values (NULL)"
    static constexpr int FirstYesNoColumn = 14;

    static const QList<SearchColumn>& columns();
    static const QList<SearchOperatorChoice>& operators();
};

} // namespace tovin

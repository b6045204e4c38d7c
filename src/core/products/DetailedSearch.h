#pragma once

#include <QString>
#include <array>

namespace tovin {

struct SearchInForce;

// The query builder behind the "Detailed Search Form": the user picks a column, an operator and
// a value, may chain conditions with And / Or, picks one or more sort columns and presses
// Search. The result goes to the search in force it was made with: SearchWhere (a condition in
// the filter syntax), SortOrder and DetailSearchActive; its Reverse tick is kept there as
// SortDescending, for the next opening.
//
// This class holds the state of the form's controls; the dialog copies the user's typing and
// ticks in before each handler and shows the controls as the handler leaves them.
class DetailedSearch {
public:
    enum class Outcome { Open, Searched, Cancelled };
    static constexpr int OperatorCount = 9;

    explicit DetailedSearch(SearchInForce& search) : m_search(search) {}

    // The controls.
    const QString& valueText() const { return m_value; }
    void setValueText(const QString& text) { m_value = text; }
    bool valueEnabled() const { return m_valueEnabled; }
    bool wholeWords() const { return m_wholeWords; }
    void setWholeWords(bool ticked) { m_wholeWords = ticked; }
    bool wholeWordsEnabled() const { return m_wholeWordsEnabled; }
    bool reverse() const { return m_reverse; }
    void setReverse(bool ticked) { m_reverse = ticked; }
    int field() const { return m_field; }
    int selectedOperator() const { return m_operator; } // -1 when none is selected
    bool operatorEnabled(int index) const { return m_operatorEnabled.at(index); }
    int sort() const { return m_sort; }
    Outcome outcome() const { return m_outcome; }

    // The form's procedures. The click handlers also select the option button clicked.
    void Form_Load();
    void optsrch_Click(int index);
    void optOperator_Click(int index);
    void optSort_Click(int index);
    void chkReverse_Click();
    void cmdAndOr_Click(int index); // 0 "And", 1 "Or", 2 "Then By"
    void cmdSrch_Click();
    void cmdCancel_Click();
    void cmdStartOver_Click();

private:
    void applyWholeWords();
    // Operator, value and the texts around it, as they follow the column name.
    QString comparison() const;
    // The condition on the chosen column; a name search also covers the description.
    QString clause() const;

    SearchInForce& m_search;
    // The condition being put together: its column, operator, the texts around the value, and
    // the conditions chained before it with And / Or.
    QString m_searchField;
    QString m_searchOperator;
    QString m_valueOpen;
    QString m_valueClose;
    QString m_chain;

    QString m_value;
    bool m_valueEnabled = true;
    bool m_wholeWords = false;
    bool m_wholeWordsEnabled = true;
    bool m_reverse = false;
    int m_field = 0;
    int m_operator = 0;
    std::array<bool, OperatorCount> m_operatorEnabled{true, true, true, true, true,
                                                      true, true, true, true};
    int m_sort = 0;
    Outcome m_outcome = Outcome::Open;

    bool m_yesNoField = false;
    bool m_thenBy = false;
    QString m_sortList;
};

} // namespace tovin

#include "core/products/DetailedSearch.h"

#include "core/products/SearchChoices.h"
#include "core/products/SearchInForce.h"
#include "core/query/Condition.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void DetailedSearch::Form_Load() {
    m_valueClose.clear();
    m_valueOpen.clear();
    m_searchOperator.clear();
    m_search.SearchWhere.clear();
    m_searchField.clear();
    m_sortList.clear();
    m_thenBy = false;
    m_yesNoField = false;
    m_outcome = Outcome::Open;

    m_reverse = m_search.SortDescending;
    chkReverse_Click();
    optsrch_Click(0);
    optOperator_Click(0);
    optSort_Click(0);
    m_chain.clear();
    m_value.clear();
}

void DetailedSearch::optsrch_Click(int index) {
    const SearchColumn& column = SearchChoices::columns().at(index);
    m_field = index;
    m_searchField = column.column;
    const bool leavingYesNo = m_yesNoField;
    m_yesNoField = false;
    if (!column.yesNo) {
        m_wholeWordsEnabled = true;
        m_valueEnabled = true;
        for (int i = 0; i <= SearchChoices::NullOperator; ++i)
            m_operatorEnabled[i] = true;
        if (!leavingYesNo)
            return;
        // A yes/no column emptied the quotes around the value and locked its own True in the
        // box; the operator still selected quotes a value of this column again, and the box
        // starts empty for it.
        if (m_value == u"True"_s)
            m_value.clear();
        if (m_operator >= 0 && m_operator != SearchChoices::NullOperator) {
            const SearchOperatorChoice& choice = SearchChoices::operators().at(m_operator);
            m_valueOpen = choice.before;
            m_valueClose = choice.after;
        }
        return;
    }
    // Yes/no columns compare with True: equal, not equal or empty are the choices that fit.
    m_valueOpen.clear();
    m_valueClose.clear();
    m_yesNoField = true;
    m_value = u"True"_s;
    m_valueEnabled = false;
    m_wholeWordsEnabled = false;
    for (int i : {0, 2, 3, 4, 5})
        m_operatorEnabled[i] = false;
    optOperator_Click(1);
}

void DetailedSearch::optOperator_Click(int index) {
    const SearchOperatorChoice& choice = SearchChoices::operators().at(index);
    m_operator = index;
    if (index == SearchChoices::NullOperator)
        m_value = u"Null"_s;
    else
        m_searchOperator = choice.operatorText;
    if (m_yesNoField) {
        m_valueOpen.clear();
        m_valueClose.clear();
    } else if (index == SearchChoices::NullOperator) {
        m_searchOperator.chop(1);
        m_valueOpen.clear();
        m_valueClose.clear();
    } else {
        m_valueOpen = choice.before;
        m_valueClose = choice.after;
    }
}

void DetailedSearch::optSort_Click(int index) {
    m_sort = index;
    m_search.SortOrder = SearchChoices::columns().at(index).column;
    // After "Then By" every further choice is appended, unless it is the whole list already.
    if (m_sortList.isEmpty() || !m_thenBy)
        m_sortList = m_search.SortOrder;
    else if (m_search.SortOrder != m_sortList)
        m_sortList += u',' + m_search.SortOrder;
}

void DetailedSearch::chkReverse_Click() {
    m_search.SortDescending = m_reverse;
}

void DetailedSearch::cmdAndOr_Click(int index) {
    applyWholeWords();
    if (index == 2) {
        m_thenBy = true;
        return;
    }
    m_chain += clause() + (index == 0 ? u" and "_s : u" or "_s);
    // The column and operator stay for the next condition; a NULL choice does not.
    if (m_operator == SearchChoices::NullOperator)
        m_operator = -1;
    m_value.clear();
}

void DetailedSearch::cmdSrch_Click() {
    applyWholeWords();
    if (m_searchField == u"ProdName"_s || !m_chain.isEmpty())
        m_search.SearchWhere = m_chain + clause();
    else
        m_search.SearchWhere = u'[' + m_searchField + u"] "_s + comparison();
    if (!m_sortList.isEmpty())
        m_search.SortOrder = m_sortList;
    if (m_search.SortDescending)
        m_search.SortOrder += u" Desc"_s;
    m_search.DetailSearchActive = false;
    m_outcome = Outcome::Searched;
}

void DetailedSearch::cmdCancel_Click() {
    m_search.DetailSearchActive = false;
    m_search.SearchWhere.clear();
    m_outcome = Outcome::Cancelled;
}

void DetailedSearch::cmdStartOver_Click() {
    Form_Load();
}

void DetailedSearch::applyWholeWords() {
    // A yes/no column locks the box; its True is never padded.
    if (m_wholeWords && m_wholeWordsEnabled)
        m_value = u' ' + m_value + u' ';
}

QString DetailedSearch::comparison() const {
    // A value between quotes has its apostrophes doubled, so O'Brien is searched as typed.
    const bool quoted = m_valueOpen.startsWith(u'\'');
    const QString value = quoted ? quoteConditionValue(m_value) : m_value;
    return m_searchOperator + m_valueOpen + value + m_valueClose;
}

QString DetailedSearch::clause() const {
    if (m_searchField == u"ProdName"_s)
        return u"ProdName"_s + comparison() + u" or ProdDesc"_s + comparison();
    return m_searchField + comparison();
}

} // namespace tovin

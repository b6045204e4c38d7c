#include "core/products/DetailedSearch.h"

#include "core/products/SearchChoices.h"
#include "core/query/Condition.h"
#include "core/shell/SharedState.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void DetailedSearch::Form_Load() {
    SharedState& s = shared();
    s.SearchValueClose.clear();
    s.SearchValueOpen.clear();
    s.SearchOperator.clear();
    s.SearchWhere.clear();
    s.SearchField.clear();
    m_sortList.clear();
    m_thenBy = false;
    m_yesNoField = false;
    m_outcome = Outcome::Open;

    m_reverse = s.SortDescending;
    chkReverse_Click();
    optsrch_Click(0);
    optOperator_Click(0);
    optSort_Click(0);
    s.SearchChain.clear();
    m_value.clear();
}

void DetailedSearch::optsrch_Click(int index) {
    SharedState& s = shared();
    const SearchColumn& column = SearchChoices::columns().at(index);
    m_field = index;
    s.SearchField = column.column;
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
            s.SearchValueOpen = choice.before;
            s.SearchValueClose = choice.after;
        }
        return;
    }
    // Yes/no columns compare with True: equal, not equal or empty are the choices that fit.
    s.SearchValueOpen.clear();
    s.SearchValueClose.clear();
    m_yesNoField = true;
    m_value = u"True"_s;
    m_valueEnabled = false;
    m_wholeWordsEnabled = false;
    for (int i : {0, 2, 3, 4, 5})
        m_operatorEnabled[i] = false;
    optOperator_Click(1);
}

void DetailedSearch::optOperator_Click(int index) {
    SharedState& s = shared();
    const SearchOperatorChoice& choice = SearchChoices::operators().at(index);
    m_operator = index;
    if (index == SearchChoices::NullOperator)
        m_value = u"Null"_s;
    else
        s.SearchOperator = choice.operatorText;
    if (m_yesNoField) {
        s.SearchValueOpen.clear();
        s.SearchValueClose.clear();
    } else if (index == SearchChoices::NullOperator) {
        s.SearchOperator.chop(1);
        s.SearchValueOpen.clear();
        s.SearchValueClose.clear();
    } else {
        s.SearchValueOpen = choice.before;
        s.SearchValueClose = choice.after;
    }
}

void DetailedSearch::optSort_Click(int index) {
    SharedState& s = shared();
    m_sort = index;
    s.SortOrder = SearchChoices::columns().at(index).column;
    // After "Then By" every further choice is appended, unless it is the whole list already.
    if (m_sortList.isEmpty() || !m_thenBy)
        m_sortList = s.SortOrder;
    else if (s.SortOrder != m_sortList)
        m_sortList += u',' + s.SortOrder;
}

void DetailedSearch::chkReverse_Click() {
    shared().SortDescending = m_reverse;
}

void DetailedSearch::cmdAndOr_Click(int index) {
    applyWholeWords();
    if (index == 2) {
        m_thenBy = true;
        return;
    }
    shared().SearchChain += clause() + (index == 0 ? u" and "_s : u" or "_s);
    // The column and operator stay for the next condition; a NULL choice does not.
    if (m_operator == SearchChoices::NullOperator)
        m_operator = -1;
    m_value.clear();
}

void DetailedSearch::cmdSrch_Click() {
    SharedState& s = shared();
    applyWholeWords();
    if (s.SearchField == u"ProdName"_s || !s.SearchChain.isEmpty())
        s.SearchWhere = s.SearchChain + clause();
    else
        s.SearchWhere = u'[' + s.SearchField + u"] "_s + comparison();
    if (!m_sortList.isEmpty())
        s.SortOrder = m_sortList;
    if (s.SortDescending)
        s.SortOrder += u" Desc"_s;
    s.DetailSearchActive = false;
    m_outcome = Outcome::Searched;
}

void DetailedSearch::cmdCancel_Click() {
    shared().DetailSearchActive = false;
    shared().SearchWhere.clear();
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
    const SharedState& s = shared();
    // A value between quotes has its apostrophes doubled, so O'Brien is searched as typed.
    const bool quoted = s.SearchValueOpen.startsWith(u'\'');
    const QString value = quoted ? quoteConditionValue(m_value) : m_value;
    return s.SearchOperator + s.SearchValueOpen + value + s.SearchValueClose;
}

QString DetailedSearch::clause() const {
    const SharedState& s = shared();
    if (s.SearchField == u"ProdName"_s)
        return u"ProdName"_s + comparison() + u" or ProdDesc"_s + comparison();
    return s.SearchField + comparison();
}

} // namespace tovin

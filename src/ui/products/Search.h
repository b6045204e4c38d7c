#pragma once

#include "core/products/DetailedSearch.h"
#include "core/shell/ErrorReporting.h"

#include <QDialog>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QLayout;
class QLineEdit;

namespace tovin {

struct PromptsInUse;

// The "Detailed Search Form", opened modally by the Products screen's "Advanced Search". When
// it closes the caller reads SearchWhere, SortOrder and DetailSearchActive of the search in
// force it was made with: Search leaves the condition and sort, Cancel empties the condition, and
// closing the window by its frame leaves the condition empty with DetailSearchActive still set.
class Search : public QDialog {
    Q_OBJECT
public:
    // A failing step is told through `prompts`, which must outlive the form.
    Search(SearchInForce& search, const PromptsInUse& prompts, QWidget* parent = nullptr);
    ~Search() override;

    const DetailedSearch& form() const { return m_form; }

private:
    QLayout* buildGroups();
    QLayout* buildValueRow();
    QLayout* buildButtons();
    void connectGroups();
    QWidget* buildColumnGroup(const QString& name, QButtonGroup* group);
    QWidget* buildOperatorGroup();
    // Runs one procedure of the form: the typed value and ticks go in first, the controls show
    // the result afterwards, and a finished search closes the dialog.
    void run(const QString& procedure, ErrorStyle style, const std::function<void()>& step);
    void showForm();

    DetailedSearch m_form;
    const PromptsInUse& m_prompts;
    QButtonGroup* m_fields;
    QButtonGroup* m_sorts;
    QButtonGroup* m_operators;
    QLineEdit* m_value = nullptr;
    QCheckBox* m_wholeWords = nullptr;
    QCheckBox* m_reverse = nullptr;
    bool m_showing = false;
};

} // namespace tovin

#include "ui/products/PreviewFollower.h"

#include "core/catalogue/RecordSet.h"
#include "core/products/CoalescedAction.h"
#include "core/products/PreviewPage.h"
#include "ui/browser/WebView.h"

#include <QFileInfo>

namespace tovin {

PreviewFollower::PreviewFollower(RecordSet* records, WebView* view, CoalescedAction* preview,
                                 QObject* parent)
    : QObject(parent), m_records(records), m_view(view), m_preview(preview) {
    connect(records, &RecordSet::rowUpdated, this, &PreviewFollower::rowUpdated);
}

void PreviewFollower::rowUpdated(int position) {
    // A product being typed into shows its own preview again once the typing is saved or
    // dropped; the help pages and other pages in the view (a page by number, the thumbnails,
    // a supplier's site) stay where the user went.
    if (!m_records->isOpen() || m_records->isDirty())
        return;
    if (position != m_records->absolutePosition() - 1)
        return;
    // The view may name the page by another spelling of its path.
    const QString shown = m_view->address();
    if (shown != PreviewPage::path() && QFileInfo(shown) != QFileInfo(PreviewPage::path()))
        return;
    m_preview->request();
}

} // namespace tovin

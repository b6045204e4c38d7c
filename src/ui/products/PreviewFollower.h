#pragma once

#include <QObject>

namespace tovin {

class CoalescedAction;
class RecordSet;
class WebView;

// Keeps the Products screen's preview on the product on show as the catalogue holds it: a
// write to that product (by another screen, a batch task or another computer) writes the
// preview again a moment later, as a move does. A write to any other product costs nothing
// here, and a product being typed into keeps its preview until it is written or dropped.
class PreviewFollower : public QObject {
    Q_OBJECT
public:
    // `preview` writes the preview page and shows it in `view`.
    PreviewFollower(RecordSet* records, WebView* view, CoalescedAction* preview,
                    QObject* parent = nullptr);

private:
    void rowUpdated(int position);

    RecordSet* m_records;
    WebView* m_view;
    CoalescedAction* m_preview;
};

} // namespace tovin

#include "ui/browser/WebView.h"

#include "core/files/ProgramFolder.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

WebView::WebView(QWidget* parent) : QWidget(parent) {}

WebView::~WebView() = default;

QString WebView::homeAddress() {
    return ProgramFolder::path() + u"Help/demo.htm"_s;
}

QString WebView::searchAddress() {
    return u"about:blank"_s;
}

} // namespace tovin

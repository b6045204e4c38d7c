#pragma once

#include "core/base/Prompts.h"
#include "core/pages/DesignerPage.h"
#include "core/pages/PageDesign.h"
#include "core/pages/PageDesignerChoices.h"
#include "core/pages/PageProduct.h"
#include "core/products/ThumbTicks.h"

#include <QWidget>
#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QVBoxLayout;

namespace tovin {

struct CatalogueInUse;

struct SearchInForce;

class WebView;

// The page designer ("Page Designer"): numbered picture pages of the current product selection
// with a live preview. Every option handler stores its option and rewrites the preview
// "sample.htm" in the pages folder; Save Page keeps the current page as PageBaseName + page
// number + ".htm". Fonts, colours and the background picture come from the platform dialogs
// through the Prompts interface.
class FrmPageMake : public QWidget {
    Q_OBJECT
public:
    // Makes the preview's web view (the real engine by default; tests give a fake).
    using WebViewFactory = std::function<WebView*(QWidget* parent)>;
    static void setWebViewFactory(WebViewFactory factory);

    // `search` is the shell's SearchInForce: the products this screen works on. `pages` is the
    // shell's PageDesign: the options the screen changes and its own place, kept between
    // openings (the base name is asked once). All must outlive the screen.
    FrmPageMake(const CatalogueInUse& catalogue, const PromptsInUse& prompts, SearchInForce& search,
                PageDesign& pages, QWidget* parent = nullptr);
    ~FrmPageMake() override;

    WebView* webView() const { return Wb3; }
    // "\Pages\sample.htm" under the program folder.
    static QString samplePath();

    // Regenerates the preview from the current options and shows it.
    void showchange();
    // The ticks of select mode, by the place of each product in the selection.
    const ThumbTicks& ticks() const { return m_ticks; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    const CatalogueInUse& m_catalogue;
    // Where the screen's questions and notices go.
    const PromptsInUse& m_prompts;
    SearchInForce& m_search;
    PageDesign& m_pages;
    void buildControls();
    QLayout* buildItemFrames(QWidget* panel);
    QWidget* buildRowBoxes(QWidget* panel);
    QWidget* buildTitleFrame(QWidget* panel);
    QWidget* buildPositionFrame(QWidget* panel);
    void buildRunChoices(QWidget* panel, QVBoxLayout* column);
    QLayout* buildPreview();
    void connectOptionBoxes();
    void Form_Load();

    // The choices the controls hold now, and what the one just changed gives the options.
    PageDesignerChoices choices() const;
    void choose(PageDesignerChoices::Changed changed);
    void showChoices(const PageDesignerChoices& choices);

    // Option handlers.
    void Check5_Click();
    void Check6_Click();
    void Check3_Click(int code);
    void Command3_Click();
    void Command5_Click(int index);
    void Command6_Click();
    void Command4_Click();
    void Command7_Click(int index);
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void savePage();
    void savePdf();
    void Wb3_BeforeNavigate(const QString& address, bool* cancel);

    // The order list as the options hold it: slot captions and ticked item boxes.
    void showOrder();
    void dropOnSlot(int slot, int code);
    void showTickCounts();
    QString procedureLabel(const QString& procedure) const;

    QList<PageProduct> m_products;
    ThumbTicks m_ticks;
    int m_selected = 0;
    int m_unselected = 0;
    bool m_loading = true;
    bool m_sized = false;
    QPoint m_dragStart;

    WebView* Wb3 = nullptr;
    QScrollArea* m_options = nullptr;
    std::array<QCheckBox*, 9> Check3{};
    std::array<QLabel*, 9> Label5{};
    QGroupBox* m_itemsFrame = nullptr;
    std::array<QPushButton*, 3> Command7{};
    std::array<QRadioButton*, 3> Option1{};
    std::array<QRadioButton*, 2> Option2{};
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLabel* Label7 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check4 = nullptr;
    QCheckBox* Check5 = nullptr;
    QCheckBox* Check6 = nullptr;
    QPushButton* Command4 = nullptr;
};

} // namespace tovin

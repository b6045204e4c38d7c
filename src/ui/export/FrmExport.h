#pragma once

#include "core/base/Prompts.h"

#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tovin {

struct CatalogueInUse;

struct SearchInForce;

class CatalogueDatabase;

// "Export DataBase": writes the ticked columns of the Products screen's current selection (or
// every product) to a text file in the program folder, one line per product. The file format
// and the quoting rules are DelimitedExport's.
class FrmExport : public QWidget {
    Q_OBJECT
public:
    // `search` is the shell's SearchInForce: the products this screen works on.
    FrmExport(const CatalogueInUse& catalogue, const PromptsInUse& prompts, SearchInForce& search,
              QWidget* parent = nullptr);
    ~FrmExport() override;

    void Option1_Click(int index);
    void Command1_Click(); // Close
    void Command2_Click(); // Export
    void Command3_Click(); // Select All

    // The divider chosen so far (empty until an option is picked).
    const QString& divider() const { return m_divider; }
    bool isExporting() const { return m_exporting; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const CatalogueInUse& m_catalogue;
    // Where the screen's questions and notices go.
    const PromptsInUse& m_prompts;
    SearchInForce& m_search;
    void Form_Load();
    QString askName();
    // The ticked columns, 1 to 30 in order.
    QList<int> chosenColumns() const;
    // The column choice and the heading option as the last export left them.
    void restoreChoice();
    void saveChoice();
    // Writes the export to `path`; a refusal is told, and one for characters the chosen
    // encoding lacks offers the export in UTF-8.
    void runExport(const QString& path);

    std::array<QCheckBox*, 31> Check1{};
    std::array<QRadioButton*, 5> Option1{};
    QComboBox* cboEncoding = nullptr;
    QCheckBox* chkHeading = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    std::unique_ptr<CatalogueDatabase> m_db;
    QString m_divider;
    bool m_exporting = false;
    bool m_closeAfterExport = false;
};

} // namespace tovin

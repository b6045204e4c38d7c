#pragma once

#include "core/import/ImportProgress.h"
#include "core/import/RowTask.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tovin {

class CatalogueDatabase;
class StorageStatement;

// Points the picture path of every product at one folder or one internet address: the path
// becomes base + "/" + StockNo + extension. The steps: the internet question, then either the
// address and the file type (useInternetAddress) or a picture file of the folder
// (useFolderOf), then the note, then run().
class PicturePathChange : public RowTask {
public:
    PicturePathChange() : RowTask(QStringLiteral("ChP"), Writes::Whole) {}

    enum class Choice {
        Ok,
        // An empty answer: the task ends before any row is touched.
        Ended,
        // The file type is not .jpg, .gif or .bmp: show invalidExtension() and ask again.
        InvalidExtension,
    };

    static QString caption();
    static QString internetQuestion();
    static QString addressTitle();
    static QString addressPrompt();
    static QString addressDefault();
    static QString fileTypeTitle();
    static QString fileTypePrompt();
    static QString fileTypeDefault();
    static QString invalidExtension();
    static QString fileFilter();
    // ".JPG", ".GIF" or ".BMP" in any letter case.
    static bool isValidExtension(const QString& type);

    // An internet address and the file type typed for it. A trailing "/" of the address is
    // dropped, so it is never doubled.
    Choice useInternetAddress(const QString& address, const QString& type);
    // A picture file the user chose: its folder and its extension (last four characters).
    Choice useFolderOf(const QString& chosenFile);
    const QString& base() const { return m_base; }
    const QString& extension() const { return m_extension; }
    // The new picture path of a product.
    QString picturePath(const QString& stockNumber) const;

    QString noteTitle() const;
    QString notePrompt() const;
    QString noteDefault(const QDate& today = QDate::currentDate()) const;

    // Changes every row of Products; the progress callback is told after each row.
    ImportOutcome run(CatalogueDatabase& db, const ProgressCallback& progress = {});

private:
    bool writeSet(const std::vector<std::pair<qint64, QString>>& rows, Run& run,
                  ImportProgress& report, int& changed);

    QString m_base;
    QString m_extension;
    // For the run on a server: the statement of a set, the note it adds and the write of one
    // row alone.
    std::shared_ptr<StorageStatement> m_updateSet;
    QVariant m_noteLine;
    std::function<void(qint64, const QString&)> m_updateOne;
};

} // namespace tovin

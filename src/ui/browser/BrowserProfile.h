#pragma once

#include <QWebEngineProfile>

class QWebEngineDownloadRequest;

namespace tovin {

struct CatalogueInUse;
struct PromptsInUse;

// The web profile of the browser screen, which shows real web sites: cookies and the cache
// are kept between runs in the user's data folder (so a supplier's shop remembers the shop),
// apart from the profile of the views that show the program's own pages. Files a site sends
// (a supplier's price list) are saved into the program folder's "Supplier" folder, and the
// user is told the file's name.
class BrowserProfile : public QWebEngineProfile {
    Q_OBJECT
public:
    // The one browser profile of the program, made on first use.
    static BrowserProfile* instance();
    // Where the profile keeps its data (tests use a folder of their own); call before the
    // first instance(). By default: the user's data folder + "/browser".
    static void setStorageFolder(const QString& folder);
    // The catalogue a download must never overwrite, the shell's open one, and where questions
    // and notices about downloads go: handed over by the browser screen while it is open
    // (nullptr once it closes).
    void useShell(const CatalogueInUse* catalogue, const PromptsInUse* prompts) {
        m_catalogue = catalogue;
        m_prompts = prompts;
    }

signals:
    // A download has ended: `path` is the saved file, `error` empty on success.
    void downloadFinished(const QString& path, const QString& error);

private:
    explicit BrowserProfile(const QString& folder, QObject* parent);
    void onDownloadRequested(QWebEngineDownloadRequest* download);

    const CatalogueInUse* m_catalogue = nullptr;
    const PromptsInUse* m_prompts = nullptr;
};

} // namespace tovin

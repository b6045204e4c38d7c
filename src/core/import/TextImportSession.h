#pragma once

#include "core/import/Divider.h"
#include "core/import/FieldMapping.h"
#include "core/import/ImportOptions.h"
#include "core/import/ImportProgress.h"
#include "core/import/TextFileLines.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace tovin {

class CatalogueDatabase;
struct RememberedMapping;

// The import of any text file as a dialogue, one method per step, so that a screen can wait for
// the user between the steps and the command line can take every answer at once:
//
//   open(file) -> preview() -> chooseStartLine(i) -> proposal(): acceptProposal(), or the
//   manual choice (chooseDivider / chooseTypedDivider / chooseLinesPerItem) -> setNote ->
//   readFirstItem() -> mapping().addSlots -> mapping().map(i, code) for every position ->
//   setEditOnly / setSupplier -> run(progress) -> totals.
//
// Nothing here asks the user anything: each step gives the exact text the caller shows.
class TextImportSession {
public:
    enum class DividerOutcome {
        Accepted,
        // The typed divider is empty or longer than two characters, or the number of lines is
        // not a number: show invalidChoice() (or ask again) and choose again.
        InvalidChoice,
        // The start line does not hold the divider (nor, when the line opens a quoted field,
        // the item it starts): show wrongSeparator(), retry or cancel.
        WrongSeparator,
    };

    TextImportSession() = default;

    // Reads the file through (in the named encoding, or the one found from its bytes), holding
    // only the lines of the preview (see TextFileLines); raises error 53 when it cannot be read
    // to its end. Opening again starts the dialogue again.
    void open(const QString& path, const QString& encodingName = QString());
    const TextFileLines& lines() const { return m_lines; }
    const QString& path() const { return m_path; }
    QString bareFileName() const;
    qsizetype lineCount() const { return m_lines.lineCount(); }

    // The first 100 lines (fewer for a shorter file) and the instruction above them.
    QStringList preview() const;
    QString previewMessage() const;

    // The line the data starts on (an index of the preview, or of the whole file). False
    // outside the file.
    bool chooseStartLine(qsizetype index);
    qsizetype startLine() const { return m_startLine; }
    QString startLineText() const;

    // The divider proposed from the start line, and its message (empty when there is none).
    std::optional<Divider> proposal() const;
    QString proposalMessage() const;
    // Takes the proposal; false when there is none.
    bool acceptProposal();
    // How a divider splits the first items from the start line: the fewest and the most fields
    // an item had (blank lines aside). A divider found by the program is trusted only when they
    // are the same.
    struct DividerFit {
        Divider divider;
        int fewestFields = 0;
        int mostFields = 0;
        bool even() const { return fewestFields == mostFields; }
    };
    static constexpr int FitItems = 100;
    DividerFit fitOf(const Divider& divider) const;
    // Every divider the start line holds twice, in the order of the proposal, each tried.
    QList<DividerFit> candidateFits() const;
    // The option buttons: tab, comma, two spaces (or any divider already made).
    DividerOutcome chooseDivider(const Divider& divider);
    // "Other": the divider the user typed.
    DividerOutcome chooseTypedDivider(const QString& typed);
    // "Seperate Lines": the number of lines per item the user typed.
    DividerOutcome chooseLinesPerItem(const QString& answer);
    bool hasDivider() const { return m_divider.has_value(); }
    const Divider& divider() const { return *m_divider; }
    // The messages of the manual choice.
    static QString otherDividerPrompt();
    static QString invalidChoice();
    static QString linesPerItemPrompt();
    QString wrongSeparatorTitle() const;
    QString wrongSeparator() const;

    // The note for the rows (default: today's date and the file's bare name).
    QString noteTitle() const;
    QString notePrompt() const;
    QString noteDefault(const QDate& today = QDate::currentDate()) const;
    void setNote(const QString& note) { m_options.note = note; }

    // Splits the first item (from the start line) into the fields to map. Needs the divider.
    void readFirstItem();
    // The field shown while the slots question is asked.
    QString firstField() const;
    FieldMapping& mapping() { return m_mapping; }
    const FieldMapping& mapping() const { return m_mapping; }

    void setEditOnly(bool editOnly) { m_options.editOnly = editOnly; }
    void setSupplier(const QString& supplier) { m_options.supplier = supplier; }
    // Further settings of the run (error handling, batch size, the date of notes).
    ImportOptions& options() { return m_options; }

    // How many items from the start line decide whether to propose the decimal comma.
    static constexpr int DecimalCommaSample = 100;
    // When the decimal comma is not chosen but most prices of the first items only make sense
    // with it: the first such price, for the question or refusal that proposes it. Needs the
    // divider and the mapping.
    std::optional<QString> decimalCommaSign() const;

    // The start line, divider and mapping kept from an earlier file, taken in place of the
    // steps from chooseStartLine() to the mapping. False when they do not read this file (the
    // steps are then to be gone through by hand).
    bool takeRemembered(const RememberedMapping& kept);
    // What to keep of this session for the next file of its kind.
    RememberedMapping remembered() const;

    // When the field mapped to the stock number lies past every field of the first FitItems
    // items (a supplier dropped a column, a slot added for nothing): the message that refuses
    // the run, which would import no item. Needs the divider.
    std::optional<QString> stockNumberOutOfReach() const;

    // True once the divider is chosen and a field is mapped to the stock number.
    bool readyToRun() const;
    QString caption() const;
    // Adds and edits the rows, reading the file again as it goes (see
    // ProductImporter::importFile); raises a RunTimeError, with nothing written or recorded,
    // when the session is not ready to run or the stock number is out of reach.
    ImportOutcome run(CatalogueDatabase& db, const ProgressCallback& progress = {});

private:
    DividerOutcome takeIfFits(const Divider& divider);

    QString m_path;
    QString m_encodingName; // as the user named it; empty when found from the bytes
    TextFileLines m_lines;
    qsizetype m_startLine = 0;
    QString m_startLineText; // asked for by every divider check, read from the file once
    std::optional<Divider> m_divider;
    QString m_lastTried;
    FieldMapping m_mapping;
    ImportOptions m_options;
};

} // namespace tovin

#include "core/catalogue/RecordEditState.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString AddStatus = u"Add record"_s;
const QString EditStatus = u"Edit record"_s;

} // namespace

QString RecordEditState::add() {
    adding = true;
    return AddStatus;
}

QString RecordEditState::edit() {
    editing = true;
    return EditStatus;
}

bool RecordEditState::updated() {
    const bool wasNew = adding;
    adding = false;
    editing = false;
    return wasNew;
}

std::optional<RecordEditState::Bookmark> RecordEditState::cancelled() {
    adding = false;
    editing = false;
    if (savedPosition > 0)
        return savedPosition;
    return std::nullopt;
}

QString RecordEditState::refused(bool rowIsNew) {
    if (rowIsNew) {
        adding = true;
        return AddStatus;
    }
    // An Add under way stays an Add, so that Update then shows the new row as the last.
    if (!adding)
        editing = true;
    return EditStatus;
}

RecordEditState::Buttons RecordEditState::buttonsFor(bool browse) {
    return {browse, !browse, browse};
}

QString RecordEditState::positionText(int position, int recordCount) {
    if (recordCount == 0)
        return u"NO CURRENT RECORDS"_s;
    return u"Record: "_s + QString::number(position) + u"  of  "_s + QString::number(recordCount);
}

RecordEditState::CloseStep RecordEditState::closeStep(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Yes:
        return CloseStep::UpdateThenClose;
    case MessageAnswer::No:
        return CloseStep::CancelThenClose;
    default:
        return CloseStep::StayOpen;
    }
}

} // namespace tovin

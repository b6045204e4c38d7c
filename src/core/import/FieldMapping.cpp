#include "core/import/FieldMapping.h"

#include "core/import/ImportMessages.h"
#include "core/import/ImportValueRules.h"
#include "core/import/MappingCodes.h"

namespace tovin {

void FieldMapping::setFields(const ImportItem& firstItem) {
    m_fields = firstItem;
    m_map.clear();
}

void FieldMapping::setFields(const QStringList& names) {
    m_fields.clear();
    for (const QString& name : names)
        m_fields.append(name);
    m_map.clear();
}

QString FieldMapping::label(int position) const {
    const QString& text = m_fields.field(position);
    return text.isEmpty() ? ImportMessages::emptyField() : text;
}

QString FieldMapping::statusLine(int position) const {
    return ImportMessages::mappingField(position + 1, fieldCount(), label(position));
}

int FieldMapping::back(int position) {
    const int previous = qMax(0, position - 1);
    if (m_map.code(previous) == MappingCodes::Discontinued)
        m_skipDiscontinued = false;
    m_map.setCode(previous, 0);
    return previous;
}

QString FieldMapping::addMorePrompt() const {
    return ImportMessages::addMorePrompt(ownFieldCount());
}

int FieldMapping::addSlots(const QString& answer) {
    return m_fields.addSlots(ImportValueRules::slotsToAdd(answer));
}

QStringList FieldMapping::captions() {
    return MappingCodes::captions();
}

FieldMapping::Outcome FieldMapping::map(int position, int code) {
    if (position < 0 || position >= FieldMap::Positions || code < 0 || code >= MappingCodes::Count)
        return Outcome::Invalid;
    if (MappingCodes::isRefused(code))
        return Outcome::Refused;
    m_map.setCode(position, code);
    return code == MappingCodes::Discontinued ? Outcome::MappedAskDiscontinued : Outcome::Mapped;
}

QString FieldMapping::mappingDiscontinuedQuestion() {
    return ImportMessages::mappingDiscontinuedQuestion();
}

QString FieldMapping::stockNumberRequired() {
    return ImportMessages::stockNumberRequired();
}

} // namespace tovin

#include "core/query/ConditionError.h"

#include "core/base/RunTimeError.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void throwConditionError(const QString& reason, qsizetype position) {
    throw RunTimeError(ErrorNumber::WrongArguments,
                       u"Invalid condition: %1 (at character %2)"_s.arg(reason).arg(position + 1));
}

void throwUnknownConditionColumn(const QString& name) {
    throw RunTimeError(ErrorNumber::ItemNotFound,
                       u"The condition names a column the table does not have: %1"_s.arg(name));
}

} // namespace tovin

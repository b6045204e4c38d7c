#include "app/CommandArguments.h"

#include "core/data/CatalogueDatabase.h"
#include "core/shell/RunTimeError.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

bool CommandArguments::next() {
    if (++m_index >= m_arguments.size())
        return false;
    m_option = m_arguments.at(m_index);
    m_inline.reset();
    if (const qsizetype eq = m_option.indexOf(u'='); m_option.startsWith(u"--"_s) && eq > 0) {
        m_inline = m_option.mid(eq + 1);
        m_option = m_option.left(eq);
    }
    return true;
}

QString CommandArguments::value() {
    if (m_inline)
        return *m_inline;
    if (m_index + 1 >= m_arguments.size())
        throw CommandRefusal{m_option + u" needs a value"_s};
    return m_arguments.at(++m_index);
}

bool CommandArguments::flag() {
    if (m_inline)
        throw CommandRefusal{m_option + u" takes no value"_s};
    return true;
}

void CommandArguments::unknown() const {
    throw CommandRefusal{u"unknown argument \""_s + m_arguments.at(m_index) + u"\""_s};
}

std::unique_ptr<CatalogueDatabase> openCommandCatalogue(const QString& path) {
    if (path.isEmpty())
        throw CommandRefusal{u"--db CATALOGUE is required"_s};
    if (!QFileInfo(path).isFile())
        throw CommandRefusal{u"the catalogue "_s + path + u" does not exist"_s};
    try {
        auto db = std::make_unique<CatalogueDatabase>(path);
        if (!db->hasTable(u"Products"_s))
            throw CommandRefusal{path + u" has no Products table"_s};
        return db;
    } catch (const RunTimeError& error) {
        throw CommandRefusal{error.description()};
    }
}

QString dividerFromWord(const QString& word) {
    const QString lower = word.toLower();
    if (lower == u"comma"_s)
        return u","_s;
    if (lower == u"tab"_s)
        return u"\t"_s;
    if (lower == u"spaces"_s)
        return u"  "_s;
    if (lower == u"bracket"_s)
        return u"]"_s;
    return word;
}

} // namespace tovin

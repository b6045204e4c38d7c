#include "support/ui/torture/TortureModel.h"

namespace tovin::test::torture {

std::optional<std::pair<int, qsizetype>> Model::transitionOf(int command) const {
    for (const Family& family : families)
        for (qsizetype i = 0; i < family.stack.size(); ++i)
            if (family.stack.at(i).command == command)
                return std::pair{family.number, i};
    return std::nullopt;
}

void Model::makeLoose(int family, const QString& why) {
    auto it = families.find(family);
    if (it == families.end() || it->loose)
        return;
    it->loose = true;
    it->looseWhy = why;
}

void Model::makeAllLoose(const QString& why) {
    for (const int number : families.keys())
        makeLoose(number, why);
}

} // namespace tovin::test::torture

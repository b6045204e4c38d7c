#include "ui/shell/SystemInfoTool.h"

#include <QProcess>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace tovin::SystemInfoTool {

QStringList candidates() {
    return {u"hardinfo2"_s,           u"hardinfo"_s,
            u"kinfocenter"_s,         u"gnome-system-monitor"_s,
            u"mate-system-monitor"_s, u"xfce4-taskmanager"_s};
}

QString find() {
    for (const QString& name : candidates()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

bool start(const QString& program) {
    return !program.isEmpty() && QProcess::startDetached(program, {});
}

} // namespace tovin::SystemInfoTool

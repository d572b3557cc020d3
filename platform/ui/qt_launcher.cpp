#include "platform/ui/qt_launcher.h"

#include <QProcess>
#include <QStringList>

namespace vts {

namespace {

QStringList qargs(const std::vector<std::string>& args) {
    QStringList out;
    for (const auto& a : args) out << QString::fromStdString(a);
    return out;
}

}  // namespace

bool QtLauncher::startDetached(const std::string& program, const std::vector<std::string>& args) {
    return QProcess::startDetached(QString::fromStdString(program), qargs(args));
}

bool QtLauncher::openUrl(const std::string& url) { return startDetached("xdg-open", {url}); }

int QtLauncher::runAndWait(const std::string& program, const std::vector<std::string>& args, int timeoutMs) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QString::fromStdString(program), qargs(args));
    if (!p.waitForStarted(timeoutMs)) return -1;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace vts

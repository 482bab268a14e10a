#include <QTextStream>

#include <QFileInfo>
#include <memory>

#include "app/AppOptions.h"
#include "app/DisplayRequired.h"
#include "app/UpdateApp.h"
#include "app/VersionRecord.h"

int main(int argc, char** argv) {
    using corvane::AppOptions;
    // Read before the window system is touched, so that --version and --help work anywhere.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const AppOptions options = corvane::ParseAppOptions(arguments);
    switch (options.action) {
        case AppOptions::Action::ShowVersion: {
            const auto version = corvane::VersionRecord::Load();
            QTextStream(stdout) << version.internalName << ' ' << version.fileVersion << '\n';
            return 0;
        }
        case AppOptions::Action::ShowHelp:
            QTextStream(stdout) << options.message;
            return 0;
        case AppOptions::Action::Invalid:
            QTextStream(stderr) << options.message << '\n';
            return corvane::UsageErrorStatus;
        case AppOptions::Action::Run:
            break;
    }
    const auto app = [&] {
        const corvane::DisplayRequired guard(QFileInfo(arguments[0]).fileName());
        return std::make_unique<corvane::UpdateApp>(argc, argv);
    }();
    app->InitInstance(options);
    return 0;
}

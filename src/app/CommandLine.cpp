#include "app/CommandLine.h"

#include <ostream>
#include <string>

#include "app/HelpDeskReport.h"
#include "app/ReportTexts.h"
#include "platform/Desktop.h"

std::optional<int> CommandLine::run(int argc, char* argv[], Desktop& desktop, std::ostream& out) {
    if (argc < 2) return std::nullopt;
    const std::string option = argv[1];
    if (option == "--help") {
        out << report_text::kUsage;
        return 0;
    }
    // Everything else (--version, --help-all, Qt's own options) is the window's to take.
    if (option != "--report") return std::nullopt;
    // As the workflows take it: only inside the home folder.
    const std::string home = desktop.homePath();
    std::optional<std::string> configHome = desktop.configPath();
    if (configHome->rfind(home + "/", 0) != 0) configHome.reset();
    return HelpDeskReport(desktop, configHome, HelpDeskReport::clientVersion()).write(out);
}

#include "app/CommandLine.h"

#include <cstdlib>
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
    if (option != "--report") {
        if (option.rfind("--", 0) != 0) return std::nullopt;
        out << report_text::kUnknownOption << option << "\n" << report_text::kUsage;
        return 2;
    }
    // As the workflows take it: only inside the home folder.
    const std::string home = desktop.homePath();
    std::optional<std::string> configHome;
    if (const char* value = std::getenv("XDG_CONFIG_HOME");
        value && std::string(value).rfind(home + "/", 0) == 0) {
        configHome = value;
    }
    return HelpDeskReport(desktop, configHome, HelpDeskReport::clientVersion()).write(out);
}

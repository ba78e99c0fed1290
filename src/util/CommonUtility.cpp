#include "util/CommonUtility.h"

#include "platform/BundleIds.h"
#include "platform/Desktop.h"
#include "util/CurlTransport.h"

CommonUtility::CommonUtility(Desktop& desktop) : CommonUtility(desktop, CurlTransport{}) {}

CommonUtility::CommonUtility(Desktop& desktop, HttpExchange exchange)
    : desktop_(desktop), exchange_(std::move(exchange)) {}

void CommonUtility::log(const std::string& line) const {
    desktop_.log(line);
}

std::vector<StringMap> CommonUtility::getBrowserInfo() const {
    std::vector<StringMap> browsers;
    const auto defaultHandler = desktop_.defaultHttpsHandler();
    for (const char* bundleId : {bundle_id::kSafari, bundle_id::kChrome, bundle_id::kFirefox}) {
        auto app = desktop_.findApplication(bundleId);
        if (!app) continue;
        browsers.push_back({{"bundleId", bundleId},
                            {"name", app->name},
                            {"path", app->path},
                            {"version", app->version},
                            {"defaultBrowser", defaultHandler == bundleId ? "Y" : "N"}});
    }
    return browsers;
}

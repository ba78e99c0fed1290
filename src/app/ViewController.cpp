#include "app/ViewController.h"

#include <random>

#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "service/ZOLTLib.h"

ViewController::ViewController(AppPorts ports, ServiceEndpoint endpoint, RandomSource random)
    : ports_(ports),
      endpoint_(std::move(endpoint)),
      random_(std::move(random)),
      gate_(
          [this](ModalGate::Timed held) {
              held == ModalGate::Timed::keepAlive ? doIAmAlive() : checkIdle();
          },
          [this] { noteActivity(); }) {
    if (!random_) {
        random_ = [device = std::make_shared<std::random_device>()] { return (*device)(); };
    }
}

ViewController::~ViewController() = default;

// Made on first use, so that a window that only starts pays nothing for the service client.
ZOLTLib& ViewController::getZOLTlib() {
    if (!lib_) lib_ = std::make_unique<ZOLTLib>(ports_.desktop, endpoint_);
    return *lib_;
}

void ViewController::runStep(const char* label, const std::function<void()>& work) {
    if (gate_.isQuitting()) return;
    modally([&] { ports_.runtime.runBlocking(label, work); });
}

long ViewController::runAlert(const Alert& alert) {
    // Once the application is ending no question is asked; the last button means "no".
    if (gate_.isQuitting()) return 1000 + static_cast<long>(alert.buttons.size()) - 1;
    return answered([&] { return ports_.alerts.runModalSheet(alert); });
}

void ViewController::quit() {
    gate_.quit();
    ports_.runtime.quit();
}

// The first lookup fetches the configuration from the service: a step the customer waits for.
std::optional<std::string> ViewController::sysCfg(const std::string& key) {
    ZOLTLib& lib = getZOLTlib();
    if (lib.getSvrCfg()) return lib.getSysCfg(key);
    return step(app_text::kStepConfig, [&key](ZOLTLib& lib) { return lib.getSysCfg(key); });
}

std::string ViewController::cn() {
    return getZOLTlib().getCn().value_or("");
}

std::string ViewController::idno() const {
    return ports_.view.text(outlet::kTxtUserIdNo);
}

// How long the window goes without painting while a renewed PFX goes straight into the
// certificate stores of ten Firefox profiles, one of them with a primary password. Not a test: the
// figure belongs to the machine it runs on, so it is printed, never compared. The window is asked
// to repaint every few milliseconds; what counts is the largest gap between two paints around and
// during the import, per round and over all rounds.
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORVALE_BENCHMARKS=ON
//   cmake --build build/bench --target gui_store_paint_gap
//   QT_QPA_PLATFORM=offscreen build/bench/bench/gui_store_paint_gap [ROUNDS]
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "DemoCustomer.h"
#include "platform/BundleIds.h"
#include "support/NssTool.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"

namespace {

constexpr int kProfiles = 10;
constexpr char kPrimary[] = "Primary-1";

class PaintClock final : public QObject {
  public:
    explicit PaintClock(QWidget& widget) : widget_(widget) {
        widget_.installEventFilter(this);
        ticker_.setInterval(4);
        QObject::connect(&ticker_, &QTimer::timeout, [this] { widget_.update(); });
        ticker_.start();
        clock_.start();
    }
    void clear() { paints_.clear(); }
    qint64 now() const { return clock_.nsecsElapsed(); }
    double largestGapMs() const {
        qint64 gap = 0;
        for (std::size_t i = 1; i < paints_.size(); ++i) {
            gap = std::max(gap, paints_[i] - paints_[i - 1]);
        }
        return static_cast<double>(gap) / 1e6;
    }
    std::size_t paints() const { return paints_.size(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &widget_ && event->type() == QEvent::Paint) paints_.push_back(now());
        return false;
    }

  private:
    QWidget& widget_;
    QTimer ticker_;
    QElapsedTimer clock_;
    std::vector<qint64> paints_;
};

void spin(int milliseconds) {
    QDeadlineTimer until(milliseconds);
    while (!until.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Ten profiles, each with the certificate a renewal replaces but the last, which has a
// primary password instead.
void makeProfiles(const std::string& home, const std::string& olderPfx) {
    const std::string root = home + "/.mozilla/firefox";
    std::filesystem::remove_all(root);
    std::string ini;
    for (int i = 0; i < kProfiles; ++i) {
        const std::string name = "p" + std::to_string(i);
        if (i + 1 == kProfiles) {
            NssTool::makeDb(root + "/" + name, kPrimary);
        } else {
            NssTool::makeDb(root + "/" + name);
            NssTool::importPfx(root + "/" + name, olderPfx, "A123456789");
        }
        ini += "[Profile" + std::to_string(i) + "]\nName=" + name + "\nPath=" + name + "\n";
    }
    OpensslTool::writeFile(root + "/profiles.ini", ini);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    DemoCustomer gui;
    bool askedOffMain = false;
    gui.ports.alerts.answerPasswordsWith([&](const std::string&) {
        askedOffMain |= QThread::currentThread() != app.thread();
        return std::optional<std::string>(kPrimary);
    });
    TestPki pki;
    std::string key, olderKey;
    const std::string cert = pki.issue(pki.newRequest("/CN=A123456789-00", key), "0x51");
    const std::string older = pki.issueStartingAt(pki.newRequest("/CN=A123456789-00", olderKey),
                                                  "0x50", "20250101000000Z");
    const std::string olderPfx = pki.pkcs12(older, olderKey, "A123456789");
    const std::string pfx = gui.desktop.homePath() + "/cert.pfx";
    std::filesystem::copy_file(pki.pkcs12(cert, key, "A123456789"), pfx);
    const std::vector<StringMap> firefox{{{"bundleId", bundle_id::kFirefox}}};

    PaintClock clock(gui.ports.window);
    double worst = 0;
    for (int round = 1; round <= rounds; ++round) {
        makeProfiles(gui.desktop.homePath(), olderPfx);
        gui.alerts.clear();
        spin(150);
        clock.clear();
        spin(100);
        const qint64 start = clock.now();
        gui.controller.importIntoBrowserStores(pfx, "A123456789", firefox);
        const double importMs = static_cast<double>(clock.now() - start) / 1e6;
        spin(100);
        const std::string said = gui.alerts.empty() ? "" : gui.alerts.back().text;
        if (said.empty() || said.find("無法") != std::string::npos) {
            std::cerr << "the import did not reach every store: " << said << "\n";
            return 1;
        }
        int replaced = 0;
        for (auto at = said.find("並已移除"); at != std::string::npos;
             at = said.find("並已移除", at + 1)) {
            ++replaced;
        }
        worst = std::max(worst, clock.largestGapMs());
        std::cout << "round " << round << ": " << std::count(said.begin(), said.end(), '\n') + 1
                  << " stores (" << replaced << " rid of an older certificate), import " << importMs
                  << " ms, " << clock.paints() << " paints, largest gap between paints "
                  << clock.largestGapMs() << " ms\n";
    }
    std::cout << "largest gap between paints over " << rounds << " rounds: " << worst << " ms\n";
    if (askedOffMain) {
        std::cerr << "the primary password was asked off the main thread\n";
        return 1;
    }
    return 0;
}

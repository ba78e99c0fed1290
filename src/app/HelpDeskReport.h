#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/BrowserStores.h"
#include "util/CommonUtility.h"

class Desktop;

// The state of one home folder, for the help desk, as plain text a customer can paste into
// an e-mail: every customer of the properties store with their PFX, the private key cache,
// the browsers' certificate stores and the default browser. Reads only; sends nothing to the
// service. Never shows a password, a key or a whole ID number.
class HelpDeskReport {
  public:
    // `xdgConfigHome` as BrowserStores takes it.
    HelpDeskReport(Desktop& desktop, std::optional<std::string> xdgConfigHome, std::string version);

    // 0 when everything is consistent, 1 when the report found a problem.
    int write(std::ostream& out) const;

    // The version this program was built as.
    static std::string clientVersion();

  private:
    struct Customer;
    std::vector<Customer> customers(std::vector<std::string>& problems) const;
    void writeCustomer(std::ostream& out, const Customer& customer) const;
    void writeStore(std::ostream& out, const BrowserStore& store,
                    const std::vector<Customer>& customers,
                    std::vector<std::string>& problems) const;
    std::string defaultBrowser() const;

    Desktop& desktop_;
    CommonUtility util_;
    std::optional<std::string> xdgConfigHome_;
    std::string version_;
};

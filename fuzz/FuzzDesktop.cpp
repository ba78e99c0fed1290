#include "FuzzDesktop.h"

#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace fuzz {

FakeDesktop& desktop() {
    static FakeDesktop instance(false);
    return instance;
}

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string demoFile(const std::string& name) {
    return readAll(std::string(NORVALE_DEMO_DIR) + "/" + name);
}

std::string fuzzFile(const std::string& name) {
    return readAll(std::string(NORVALE_FUZZ_DIR) + "/" + name);
}

void fail(const std::string& why) {
    std::fprintf(stderr, "fuzz target: %s\n", why.c_str());
    std::fflush(stderr);
    abort();
}

}  // namespace fuzz
